#include "workflow/output_plan.h"

#include <map>
#include <stdexcept>

namespace duv {
namespace {

bool beginsWithLine(const std::string& text, std::string_view line) {
  if (!text.starts_with(line)) return false;
  const auto rest = std::string_view(text).substr(line.size());
  return rest.starts_with("\n") || rest.starts_with("\r\n");
}

bool isOwnReport(const std::string& text) {
  return beginsWithLine(text, "Top 10 correlations between main predictors:");
}

bool isOwnTable(const std::string& text) {
  return text.starts_with("\n") || text.starts_with("\r\n") || text.starts_with(" ; ");
}

void checkReplaceable(const std::string& path, std::string_view what,
                      bool (*isOwn)(const std::string&), std::string_view wayOut,
                      FileSystem& files) {
  if (files.status(path).kind != FileKind::file) return;
  if (isOwn(files.readFile(path))) return;
  throw std::runtime_error(path + " exists and is not a " + std::string(what) +
                           " of this tool; it is left as it is: " + std::string(wayOut));
}

// One spelling per file: absolute, with ".", ".." and every link that exists resolved.
std::string identityOf(const std::string& path, FileSystem& files) {
  return files.canonicalPath(files.absolutePath(path));
}

}  // namespace

void checkOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs,
                  FileSystem& files) {
  std::map<std::string, std::string> seen;  // identity -> path as given
  for (const auto& input : inputs) seen.emplace(identityOf(input, files), input);
  std::map<std::string, std::string> inputIdentities = seen;
  for (const auto& output : outputs) {
    const auto identity = identityOf(output, files);
    const auto [earlier, isNew] = seen.emplace(identity, output);
    if (isNew) continue;
    if (inputIdentities.count(identity) != 0) {
      throw std::runtime_error("the output " + output + " would overwrite the input " +
                               earlier->second);
    }
    throw std::runtime_error("the outputs " + earlier->second + " and " + output +
                             " would be the same file");
  }
}

void checkReportsReplaceable(const std::vector<ResultFiles>& results, std::string_view wayOut,
                             FileSystem& files) {
  for (const auto& result : results) {
    if (result.report) {
      checkReplaceable(*result.report, "correlation report", isOwnReport, wayOut, files);
    }
    if (result.table) {
      checkReplaceable(*result.table, "correlation table", isOwnTable, wayOut, files);
    }
  }
}

}  // namespace duv
