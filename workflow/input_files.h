#pragma once

// The files the workflows read as designs, each in the format the seam of design files chooses
// for it (design_format.h): design matrices (".sdm"), time-course files (".rtc"), and the
// confound files of other tools, confound tables (".tsv") and motion text files (".txt",
// ".par", ".1D").

#include <string>
#include <string_view>

#include "design/confound_file.h"
#include "design/design_format.h"
#include "design/design_matrix.h"
#include "workflow/log_sink.h"

namespace duv {

class FileSystem;

// One file to read and how.
struct InputFile {
  std::string path;
  const DesignFormat* format = &kSdmFormat;  // one that reads
};

// The input at `path` in its format (designFormatOf, whose refusal of any other extension
// names the front end: `reader`, "the tool" or "a study"). The file is read only where its
// extension leaves its format open.
InputFile inputFileAt(const std::string& path, std::string_view reader, FileSystem& files);

// The fileName the matrix read from `input` has: the path of a file whose format keeps it (an
// SDM file), the converted name (".sdm" in place of the extension) of any other.
std::string designNameOf(const InputFile& input);

// Reads one input in its format: an SDM file as it is; a time-course file converted to a matrix
// of confounds; a confound file with `confounds` (readConfoundFile), logging through `log` the
// columns whose leading "n/a" cells became 0 (texts::kZeroedLog with the names joined by ", ")
// and the columns the outliers preset left out (texts::kLeftOutLog with "<name> (<reason>)"
// joined by ", ", then ": <path>").
// Throws the readers' errors, which name the file.
DesignMatrix readInputFile(const InputFile& input, const ConfoundOptions& confounds,
                           FileSystem& files, const LogSink& log);

}  // namespace duv
