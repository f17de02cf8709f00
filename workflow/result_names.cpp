#include "workflow/result_names.h"

#include "design/paths.h"
#include "design/tsv_design.h"
#include "merge/predictors.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"

namespace duv {
namespace {

std::string nameOf(const SecondaryInput& input) {
  if (const auto* file = std::get_if<InputFile>(&input)) return designNameOf(*file);
  return std::get<DesignMatrix>(input).fileName;
}

}  // namespace

ResultFiles resultFilesAt(const std::string& path, const std::vector<const DesignFormat*>& formats,
                          bool reports) {
  ResultFiles files;
  for (const auto* format : formats) {
    files.designs.push_back(files.designs.empty() ? path : pathInFormat(path, *format));
  }
  if (reports) {
    files.report = correlationReportPath(path);
    files.table = correlationTablePath(path);
  }
  return files;
}

std::string pathInFolder(const std::string& suggestedName,
                         const std::optional<std::string>& folder) {
  if (!folder) return suggestedName;
  return joinPath(*folder, fileNameOf(suggestedName));
}

std::vector<std::string> suggestedResultNames(const MergeRequest& request) {
  std::vector<std::string> names;
  if (request.secondaries.empty()) return names;
  if (request.primary) {
    names.reserve(request.secondaries.size());
    for (const auto& secondary : request.secondaries) {
      names.push_back(mergedFileName(taskDesignNameOf(*request.primary), nameOf(secondary)));
    }
    return names;
  }
  std::string name = nameOf(request.secondaries.front());
  for (std::size_t i = 1; i < request.secondaries.size(); ++i) {
    name = mergedFileName(name, nameOf(request.secondaries[i]));
  }
  names.push_back(std::move(name));
  return names;
}

std::vector<ResultFiles> resultFiles(const MergeRequest& request,
                                     const std::optional<std::string>& folder) {
  std::vector<ResultFiles> files;
  for (const auto& name : suggestedResultNames(request)) {
    files.push_back(resultFilesAt(pathInFolder(name, folder), request.formats, request.reports));
  }
  return files;
}

}  // namespace duv
