#include "workflow/input_files.h"

#include <utility>
#include <vector>

#include "design/text.h"
#include "workflow/workflow_texts.h"

namespace duv {

InputFile inputFileAt(const std::string& path, std::string_view reader, FileSystem& files) {
  return {path, &designFormatOf(path, reader, files)};
}

std::string designNameOf(const InputFile& input) {
  return input.format->keepsPath ? input.path : convertedFileName(input.path);
}

DesignMatrix readInputFile(const InputFile& input, const ConfoundOptions& confounds,
                           FileSystem& files, const LogSink& log) {
  auto read = readDesign(input.path, *input.format, confounds, files);
  if (!read.zeroedColumns.empty()) log(texts::kZeroedLog, joined(read.zeroedColumns, ", "));
  if (!read.leftOutColumns.empty()) {
    std::vector<std::string> named;
    for (const auto& column : read.leftOutColumns) {
      named.push_back(column.name + " (" + column.reason + ")");
    }
    log(texts::kLeftOutLog, joined(named, ", ") + ": " + input.path);
  }
  return std::move(read.matrix);
}

}  // namespace duv
