#include "study/study_pairing.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "design/paths.h"
#include "design/text.h"
#include "study/pattern_walk.h"
#include "study/study_pattern.h"

namespace duv {
namespace {

std::string quotedPattern(const StudyPattern& pattern) {
  return pattern.option + " '" + pattern.text + "'";
}

// A confound pattern with the files it names and, for each of its fields, the primary's field
// of that name.
struct ConfoundSource {
  StudyPattern pattern;
  std::vector<std::size_t> primaryField;
  std::vector<PatternFile> files;
  // The files by their fields' values: one each, unless a "*" lets several fill them alike.
  std::map<FieldValues, std::vector<std::size_t>> byValues;
  std::vector<bool> used;
};

ConfoundSource confoundSource(const std::string& text, const StudyPattern& primary) {
  ConfoundSource source{parseStudyPattern(text, "--confounds-from"), {}, {}, {}, {}};
  for (const auto& field : source.pattern.fields) {
    const auto found = std::find(primary.fields.begin(), primary.fields.end(), field);
    if (found == primary.fields.end()) {
      throw std::invalid_argument(quotedPattern(source.pattern) + ": field {" + field +
                                  "} is not in " + quotedPattern(primary) + " (it has " +
                                  (primary.fields.empty() ? "none" : joined(primary.fields, ", ")) +
                                  ")");
    }
    source.primaryField.push_back(static_cast<std::size_t>(found - primary.fields.begin()));
  }
  return source;
}

void checkDistinct(const StudyPattern& primary, const std::vector<ConfoundSource>& sources) {
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const auto& text = sources[i].pattern.text;
    if (text == primary.text) {
      throw std::invalid_argument(quotedPattern(sources[i].pattern) + " is the --primary pattern");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (sources[j].pattern.text == text) {
        throw std::invalid_argument(quotedPattern(sources[i].pattern) + " is given twice");
      }
    }
  }
}

PairingProblem noMatch(const StudyPattern& pattern, const std::string& root) {
  return {PairingProblemKind::noMatch,
          quotedPattern(pattern) + " matches no file (searched from " +
              patternStartFolder(pattern, root) + ")",
          {}};
}

class FilePairer {
 public:
  FilePairer(const std::string& root, StudyPattern primary, std::vector<ConfoundSource> sources,
             const PairingOptions& options, FileSystem& files)
      : root_(root),
        files_(files),
        primary_(std::move(primary)),
        sources_(std::move(sources)),
        options_(options) {}

  StudyPairing pair() {
    pairing_.fields = primary_.fields;
    const auto primaries = findPatternFiles(primary_, root_, files_);
    if (primaries.empty()) pairing_.problems.push_back(noMatch(primary_, root_));
    for (auto& source : sources_) {
      source.files = findPatternFiles(source.pattern, root_, files_);
      if (source.files.empty()) pairing_.problems.push_back(noMatch(source.pattern, root_));
      for (std::size_t f = 0; f < source.files.size(); ++f) {
        source.byValues[source.files[f].values].push_back(f);
      }
      source.used.assign(source.files.size(), false);
    }

    for (const auto& file : primaries) {
      pairPrimary(file, isSelected(options_.only, primary_.fields, file.values));
    }
    if (!primaries.empty()) reportUnused();
    // Without problems, a pairing without runs found primaries that --only ruled out.
    return settlePairing(
        std::move(pairing_), options_.allowMissing,
        "--only keeps none of the " + std::to_string(primaries.size()) + " runs found");
  }

 private:
  // Finds the primary's partners. Those of a primary --only leaves out are only marked as taken:
  // their files have a primary.
  void pairPrimary(const PatternFile& file, bool selected) {
    RunPlan run;
    std::string missing;  // why the run is skipped
    for (auto& source : sources_) {
      FieldValues values;
      for (const auto field : source.primaryField) values.push_back(file.values[field]);
      const auto found = source.byValues.find(values);
      const bool one = found != source.byValues.end() && found->second.size() == 1;
      if (found != source.byValues.end()) {
        for (const auto f : found->second) source.used[f] = true;
      }
      if (one) {
        run.confounds.push_back(source.files[found->second.front()].path);
        continue;
      }
      if (!selected) continue;
      auto problem = partnerProblem(file, source, values);
      // Its message without the primary's path that begins it: the skipped run names it.
      missing += (missing.empty() ? "" : "; ") + problem.message.substr(file.path.size() + 2);
      // A pattern matching nothing is reported once, not for every primary.
      if (!source.files.empty()) pairing_.problems.push_back(std::move(problem));
    }
    if (!selected) return;
    run.name = fileNameOf(file.path, PathStyle::native);
    run.primary = file.path;
    for (std::size_t f = 0; f < primary_.fields.size(); ++f) {
      run.fields.emplace_back(primary_.fields[f], file.values[f]);
    }
    run.outputFolder = file.folder;
    if (!missing.empty()) {
      pairing_.skipped.push_back({std::move(run), std::move(missing), pairing_.runs.size()});
      return;
    }
    pairing_.runs.push_back(std::move(run));
  }

  // A primary without its one file for `source`: none, or several that "*" lets fill the same
  // fields.
  PairingProblem partnerProblem(const PatternFile& file, const ConfoundSource& source,
                                const FieldValues& values) const {
    const auto found = source.byValues.find(values);
    if (found == source.byValues.end()) {
      return {PairingProblemKind::missingPartner,
              file.path + ": no file for " + quotedPattern(source.pattern) + " (looked for " +
                  joinPath(root_, fillPattern(source.pattern, values)) + ")",
              {file.path}};
    }
    std::vector<std::string> paths;
    for (const auto f : found->second) paths.push_back(source.files[f].path);
    return {PairingProblemKind::missingPartner,
            file.path + ": " + std::to_string(paths.size()) + " files for " +
                quotedPattern(source.pattern) + ", where one is needed (" + joined(paths, ", ") +
                ")",
            {file.path}};
  }

  // Confound files that no primary took, unless --only rules them out.
  void reportUnused() {
    for (const auto& source : sources_) {
      for (std::size_t f = 0; f < source.files.size(); ++f) {
        const auto& file = source.files[f];
        if (source.used[f] || !isSelected(options_.only, source.pattern.fields, file.values)) {
          continue;
        }
        FieldValues values(primary_.fields.size());
        for (std::size_t k = 0; k < file.values.size(); ++k) {
          values[source.primaryField[k]] = file.values[k];
        }
        pairing_.problems.push_back({PairingProblemKind::partnerWithoutPrimary,
                                     file.path + ": no primary for it (looked for " +
                                         joinPath(root_, fillPattern(primary_, values)) + ")",
                                     {file.path}});
      }
    }
  }

  const std::string& root_;
  FileSystem& files_;
  StudyPattern primary_;
  std::vector<ConfoundSource> sources_;
  const PairingOptions& options_;
  StudyPairing pairing_;
};

}  // namespace

StudyPairing pairStudyFiles(const std::string& root, const std::string& primaryPattern,
                            const std::vector<std::string>& confoundPatterns,
                            const PairingOptions& options, FileSystem& files) {
  auto primary = parseStudyPattern(primaryPattern, "--primary");
  std::vector<ConfoundSource> sources;
  sources.reserve(confoundPatterns.size());
  for (const auto& text : confoundPatterns) sources.push_back(confoundSource(text, primary));
  if (sources.empty()) throw std::invalid_argument("at least one --confounds-from is needed");
  checkDistinct(primary, sources);
  checkSelectedFields(options.only, primary.fields);
  return FilePairer(root, std::move(primary), std::move(sources), options, files).pair();
}

}  // namespace duv
