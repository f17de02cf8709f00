#include "study/run_record.h"

#include <algorithm>

#include "design/paths.h"

namespace duv {

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
