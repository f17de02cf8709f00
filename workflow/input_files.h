#pragma once

// The files the workflows read as design matrices, each in the format its extension names:
// design matrices (".sdm"), time-course files (".rtc"), and the confound files of other tools,
// confound tables (".tsv") and motion text files (".txt", ".par", ".1D").

#include <optional>
#include <string>
#include <string_view>

#include "design/confound_file.h"
#include "design/design_matrix.h"
#include "workflow/log_sink.h"

namespace duv {

class FileSystem;

enum class InputFormat { sdm, rtc, confounds };

// One file to read and how.
struct InputFile {
  std::string path;
  InputFormat format = InputFormat::sdm;
};

// The format a path's extension names, compared exactly (".SDM" is none); nothing for any
// other extension.
std::optional<InputFormat> inputFormatOf(std::string_view path);

// The input at `path` in the format its extension names. Throws std::runtime_error
// "<path> is not a file <reader> reads: .sdm, ..." for any other extension, `reader` naming the
// front end ("the tool", "a study").
InputFile inputFileAt(const std::string& path, std::string_view reader);

// The fileName the matrix read from `input` has: the path of an SDM file, the converted name
// (".sdm" in place of the extension) of any other.
std::string designNameOf(const InputFile& input);

// Reads one input: an SDM file as it is; a time-course file converted to a matrix of confounds;
// a confound file with `confounds` (readConfoundFile), logging through `log` the columns whose
// leading "n/a" cells became 0 (texts::kZeroedLog with the names joined by ", ").
// Throws the readers' errors, which name the file.
DesignMatrix readInputFile(const InputFile& input, const ConfoundOptions& confounds,
                           FileSystem& files, const LogSink& log);

}  // namespace duv
