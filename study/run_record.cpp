#include "study/run_record.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace duv {

namespace fs = std::filesystem;

std::vector<RunInput> currentInputs(const std::vector<std::string>& paths) {
  std::vector<RunInput> inputs;
  inputs.reserve(paths.size());
  for (const auto& path : paths) {
    RunInput input;
    input.path = path;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (!error) {
      const auto modified = fs::last_write_time(path, error);
      if (!error) {
        input.size = size;
        input.modifiedNs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch())
                .count();
      }
    }
    inputs.push_back(std::move(input));
  }
  return inputs;
}

bool isUpToDate(const RunRecord& record, const std::string& toolVersion, const std::string& options,
                const std::vector<RunInput>& inputs, const std::string& outputFolder) {
  if (record.status == CheckStatus::failed || record.toolVersion != toolVersion ||
      record.options != options || record.inputs != inputs) {
    return false;
  }
  return std::all_of(record.outputs.begin(), record.outputs.end(), [&](const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(fs::path(outputFolder) / path, error);
  });
}

}  // namespace duv
