#pragma once

// The inputs the tool reads as designs (the merges' secondaries, the files `check` checks): the
// dialog's SDM and RTC files, and the confound files of other tools (confound tables and motion
// text files).

#include <optional>
#include <string>
#include <vector>

#include "design/confound_file.h"
#include "design/design_matrix.h"

namespace duv {
class FileSystem;
class HostServices;
}  // namespace duv

namespace duv::cli {

// The confound options as given on the command line, before they are checked.
struct ConfoundArguments {
  std::vector<std::string> selection;  // --confounds, in order
  std::size_t skipVolumes = 0;
  bool derivatives = false;
  bool squares = false;
};

// The kinds of file the tool reads: ".sdm", ".rtc", ".tsv", ".txt", ".par", ".1D".
bool isSecondaryInput(const std::string& path);

// Throws std::runtime_error naming the option for a confound option that none of `inputs` takes
// (a selection without a table, expansions without a text file, skipped volumes without
// either). Returns the options for the readers.
ConfoundOptions confoundOptionsFor(const std::vector<std::string>& inputs,
                                   const ConfoundArguments& arguments);

// As confoundOptionsFor, after throwing std::runtime_error naming the path for an input the tool
// does not read or whose name holds a line break.
ConfoundOptions checkSecondaryInputs(const std::vector<std::string>& secondaries,
                                     const ConfoundArguments& arguments);

// Reads one input by its kind; confound files with `options`, logging through `host` the
// columns whose leading "n/a" cells became 0. Throws std::runtime_error naming the path for a
// kind the tool does not read, and the readers' errors.
DesignMatrix readSecondaryInput(const std::string& path, const ConfoundOptions& options,
                                HostServices& host, FileSystem& files);

}  // namespace duv::cli
