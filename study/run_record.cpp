#include "study/run_record.h"

#include <algorithm>

#include "design/paths.h"
#include "study/run_record_format.h"

namespace duv {

const char* runStatusName(const RunRecord& record) {
  return record.skipped ? run_record_format::kSkipped : statusName(record.status);
}

std::vector<RunInput> currentInputs(const std::vector<std::string>& paths, FileSystem& files) {
  std::vector<RunInput> inputs;
  inputs.reserve(paths.size());
  for (const auto& path : paths) {
    RunInput input;
    input.path = files.canonicalPath(path);
    const auto status = files.status(path);
    if (status.kind == FileKind::file) {
      input.size = status.size;
      input.modifiedNs = status.modifiedNs;
    }
    inputs.push_back(std::move(input));
  }
  return inputs;
}

std::optional<std::string> misplacedOutput(const RunRecord& record, const std::string& runFolder) {
  // Written by the study, an output is joinPath(its run's folder, a file name), whichever
  // system wrote it; anything else could name a file the study never wrote, or one of another
  // run's or the group's.
  const auto inRunFolder = [&runFolder](const std::string& path) {
    const auto name = fileNameOf(path, PathStyle::native);
    return !name.empty() && name != "." && name != ".." && joinPath(runFolder, name) == path;
  };
  for (const auto& output : record.outputs) {
    if (!inRunFolder(output)) {
      return "output \"" + output + "\" does not lie in its run's folder \"" + runFolder + "\"";
    }
  }
  if (!record.checkPage.empty() && !inRunFolder(record.checkPage)) {
    return "check page \"" + record.checkPage + "\" does not lie in its run's folder \"" +
           runFolder + "\"";
  }
  return std::nullopt;
}

bool isUpToDate(const RunRecord& record, const std::string& toolVersion, const std::string& options,
                const std::vector<RunInput>& inputs, const std::string& outputFolder,
                FileSystem& files) {
  if (record.status == CheckStatus::failed || record.toolVersion != toolVersion ||
      record.options != options || record.inputs != inputs) {
    return false;
  }
  return std::all_of(record.outputs.begin(), record.outputs.end(), [&](const std::string& path) {
    return files.status(joinPath(outputFolder, path)).kind == FileKind::file;
  });
}

}  // namespace duv
