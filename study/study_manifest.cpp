#include "study/study_manifest.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include "design/bounded_read.h"
#include "design/file_system.h"
#include "design/paths.h"
#include "design/text.h"
#include "study/run_contrasts.h"
#include "study/study_pattern.h"

namespace duv {
namespace {

constexpr std::string_view kPrimary = "primary";
constexpr std::string_view kConfounds = "confounds";
constexpr std::string_view kOutput = "output";
constexpr std::string_view kContrasts = "contrasts";

std::vector<std::string_view> cellsOf(std::string_view line) {
  std::vector<std::string_view> cells;
  while (true) {
    const auto tab = line.find('\t');
    cells.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return cells;
    line.remove_prefix(tab + 1);
  }
}

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string inQuotes(std::string_view text) { return "'" + std::string(text) + "'"; }

// The column of each kind, by position in the header.
struct Columns {
  std::optional<std::size_t> primary;
  std::vector<std::size_t> confounds;
  std::optional<std::size_t> output;
  std::optional<std::size_t> contrasts;
  std::vector<std::size_t> fields;
  std::vector<std::string> names;
};

class ManifestParser {
 public:
  ManifestParser(std::string_view text, const std::string& path, FileSystem& files)
      : text_(withoutByteOrderMark(text)), path_(path), folder_(folderPart(path)), files_(files) {}

  StudyManifest parse() {
    bool header = false;
    while (!text_.empty()) {
      ++lineNumber_;
      const auto newline = text_.find('\n');
      auto line = text_.substr(0, newline);
      text_.remove_prefix(newline == std::string_view::npos ? text_.size() : newline + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (isBlank(line)) continue;
      if (!header) {
        parseHeader(line);
        header = true;
      } else {
        parseRun(line);
      }
    }
    if (!header) {
      throw std::runtime_error(
          path_ + ": empty; expected a header line naming the columns primary and confounds");
    }
    if (manifest_.runs.empty()) throw std::runtime_error(path_ + ": no run follows the header");
    return std::move(manifest_);
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(path_ + ", line " + std::to_string(lineNumber_) + ": " + what);
  }

  void parseHeader(std::string_view line) {
    // Names are quoted in messages, which a NUL byte would cut short.
    if (line.find('\0') != std::string_view::npos) fail("a NUL byte in the header");
    for (const auto name : cellsOf(line)) {
      const auto position = columns_.names.size();
      for (const auto& earlier : columns_.names) {
        if (earlier == name) fail("column " + inQuotes(name) + " appears twice");
      }
      if (name == kPrimary) {
        columns_.primary = position;
      } else if (name.substr(0, kConfounds.size()) == kConfounds) {
        columns_.confounds.push_back(position);
      } else if (name == kOutput) {
        columns_.output = position;
      } else if (name == kContrasts) {
        columns_.contrasts = position;
      } else if (isFieldName(name)) {
        columns_.fields.push_back(position);
        manifest_.fields.emplace_back(name);
      } else {
        fail("unknown column " + inQuotes(name) +
             " (the columns are primary, confounds..., output, contrasts, and fields named by "
             "letters, digits and '_')");
      }
      columns_.names.emplace_back(name);
    }
    if (!columns_.primary) fail("no column 'primary'");
    if (columns_.confounds.empty()) fail("no column whose name begins with 'confounds'");
  }

  void parseRun(std::string_view line) {
    const auto cells = cellsOf(line);
    if (cells.size() != columns_.names.size()) {
      fail(std::to_string(cells.size()) + (cells.size() == 1 ? " cell" : " cells") +
           " where the header has " + std::to_string(columns_.names.size()));
    }
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (cells[c].find('\0') != std::string_view::npos) {
        fail("a NUL byte in column " + inQuotes(columns_.names[c]));
      }
    }
    const auto primary = cells[*columns_.primary];
    if (primary.empty()) fail("the primary is empty");

    RunPlan run;
    for (const auto c : columns_.confounds) {
      if (!cells[c].empty()) run.confounds.push_back(joinPath(folder_, cells[c]));
    }
    if (run.confounds.empty()) fail("no confounds (a run needs at least one)");
    run.primary = joinPath(folder_, primary);
    run.name = fileNameOf(primary, PathStyle::native);
    checkNewPrimary(primary, run.primary);
    for (const auto c : columns_.fields) {
      // A field's value is a label, as --only and contrasts files name it, or nothing.
      if (!cells[c].empty() && !isFieldLabel(cells[c])) {
        fail(inQuotes(cells[c]) + " in column " + inQuotes(columns_.names[c]) +
             " is not a label (letters and digits)");
      }
      run.fields.emplace_back(columns_.names[c], cells[c]);
    }
    if (columns_.contrasts && !cells[*columns_.contrasts].empty()) {
      run.contrastsFile = joinPath(folder_, cells[*columns_.contrasts]);
    }

    const auto output = columns_.output ? cells[*columns_.output] : std::string_view();
    if (!output.empty()) {
      if (!normalOutputFolder(output, run.outputFolder)) {
        fail("output " + inQuotes(output) + " leads out of the study's output folder");
      }
    } else if (!defaultOutputFolder(primary, run.outputFolder)) {
      fail("primary " + inQuotes(primary) +
           " lies outside the manifest's folder; give its run an 'output' folder");
    }
    checkNewOutput(run);
    manifest_.runs.push_back(std::move(run));
    manifest_.lines.push_back(lineNumber_);
  }

  void checkNewPrimary(std::string_view written, const std::string& path) {
    const auto key = normalPath(path);
    const auto [entry, added] = primaries_.emplace(key, lineNumber_);
    if (!added) {
      fail("primary " + inQuotes(written) + " is listed again (first on line " +
           std::to_string(entry->second) + ")");
    }
  }

  void checkNewOutput(const RunPlan& run) {
    const auto [entry, added] =
        outputs_.emplace(std::make_pair(run.outputFolder, run.name), lineNumber_);
    if (!added) {
      fail("output folder " + inQuotes(run.outputFolder.empty() ? "." : run.outputFolder) +
           " already has a run named " + inQuotes(run.name) + " (line " +
           std::to_string(entry->second) + ")");
    }
  }

  // The primary's folder relative to the manifest's folder.
  bool defaultOutputFolder(std::string_view primary, std::string& folder) const {
    if (!isRootedPath(primary)) return normalOutputFolder(folderPart(primary), folder);
    const auto base = files_.absolutePath(folder_.empty() ? "." : folder_);
    const auto relative = relativePath(folderPart(primary), base);
    return !relative.empty() && normalOutputFolder(relative, folder);
  }

  std::string_view text_;
  const std::string& path_;
  std::string folder_;
  FileSystem& files_;
  std::size_t lineNumber_ = 0;
  Columns columns_;
  StudyManifest manifest_;
  std::map<std::string, std::size_t> primaries_;
  std::map<std::pair<std::string, std::string>, std::size_t> outputs_;
};

// Adds the problem of `path` when it is not a file, and why to `missing` ("; " between).
void checkFile(const std::string& path, const std::string& context, FileSystem& files,
               std::vector<PairingProblem>& problems, std::string& missing) {
  const auto status = files.status(path);
  if (status.kind == FileKind::file) return;
  std::string what = ": no such file";
  if (status.kind == FileKind::unknown) {
    what = ": cannot be looked at (" + status.reason + ")";
  } else if (status.kind != FileKind::missing) {
    what = ": not a file";
  }
  problems.push_back({PairingProblemKind::missingFile, context + path + what, {path}});
  missing += (missing.empty() ? "" : "; ") + path + what;
}

}  // namespace

StudyManifest parseStudyManifest(std::string_view text, const std::string& manifestPath,
                                 FileSystem& files) {
  return ManifestParser(text, manifestPath, files).parse();
}

StudyPairing pairStudyManifest(const std::string& manifestPath, const PairingOptions& options,
                               FileSystem& files) {
  auto manifest =
      parseStudyManifest(readBoundedFile(files, manifestPath, kManifestLimit), manifestPath, files);
  checkSelectedFields(options.only, manifest.fields, FieldSource::manifest);
  StudyPairing pairing;
  pairing.fields = manifest.fields;
  for (std::size_t r = 0; r < manifest.runs.size(); ++r) {
    auto& run = manifest.runs[r];
    std::vector<std::string> values;
    for (const auto& field : run.fields) values.push_back(field.second);
    if (!isSelected(options.only, manifest.fields, values)) continue;
    const auto context = manifestPath + ", line " + std::to_string(manifest.lines[r]) + ": ";
    std::string missing;
    checkFile(run.primary, context, files, pairing.problems, missing);
    for (const auto& confound : run.confounds) {
      checkFile(confound, context, files, pairing.problems, missing);
    }
    if (!run.contrastsFile.empty()) {
      checkFile(run.contrastsFile, context, files, pairing.problems, missing);
    }
    if (missing.empty()) {
      pairing.runs.push_back(std::move(run));
    } else {
      pairing.skipped.push_back({std::move(run), std::move(missing), pairing.runs.size()});
    }
  }
  pairing = settlePairing(
      std::move(pairing), options.allowMissing,
      "--only keeps none of the " + std::to_string(manifest.runs.size()) + " runs listed");
  // Each contrasts file once, however many runs name it.
  std::map<std::string, std::vector<Contrast>> contrastsByFile;
  for (auto& run : pairing.runs) {
    if (run.contrastsFile.empty()) continue;
    auto found = contrastsByFile.find(run.contrastsFile);
    if (found == contrastsByFile.end()) {
      found = contrastsByFile
                  .emplace(run.contrastsFile,
                           readStudyContrasts(run.contrastsFile, manifest.fields, files).contrasts)
                  .first;
    }
    run.contrasts = found->second;
  }
  return pairing;
}

}  // namespace duv
