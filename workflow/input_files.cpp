#include "workflow/input_files.h"

#include <stdexcept>

#include "design/paths.h"
#include "design/rtc_file.h"
#include "design/sdm_reader.h"
#include "design/text.h"
#include "workflow/workflow_texts.h"

namespace duv {

std::optional<InputFormat> inputFormatOf(std::string_view path) {
  if (hasExtension(path, "sdm")) return InputFormat::sdm;
  if (hasExtension(path, "rtc")) return InputFormat::rtc;
  if (isConfoundFile(path)) return InputFormat::confounds;
  return std::nullopt;
}

InputFile inputFileAt(const std::string& path, std::string_view reader) {
  const auto format = inputFormatOf(path);
  if (!format) {
    throw std::runtime_error(path + " is not a file " + std::string(reader) +
                             " reads: .sdm, .rtc, .tsv, .txt, .par or .1D");
  }
  return {path, *format};
}

std::string designNameOf(const InputFile& input) {
  return input.format == InputFormat::sdm ? input.path : convertedFileName(input.path);
}

DesignMatrix readInputFile(const InputFile& input, const ConfoundOptions& confounds,
                           FileSystem& files, const LogSink& log) {
  switch (input.format) {
    case InputFormat::sdm:
      return readSdmFile(input.path, files);
    case InputFormat::rtc:
      return DesignMatrix(readRtcFile(input.path, files));
    case InputFormat::confounds:
      break;
  }
  auto read = readConfoundFile(input.path, confounds, files);
  if (!read.zeroedColumns.empty()) log(texts::kZeroedLog, joined(read.zeroedColumns, ", "));
  return std::move(read.matrix);
}

}  // namespace duv
