#pragma once

// The files the tool reads as designs (the merges' secondaries, the files `check` checks): the
// dialog's SDM and RTC files, and the confound files of other tools (confound tables and motion
// text files). Unlike the dialog, the tool passes over no input: a file of another kind is an
// error.

#include <cstddef>
#include <string>
#include <vector>

#include "design/confound_file.h"
#include "workflow/input_files.h"

namespace duv::cli {

// The confound options as given on the command line, before they are checked.
struct ConfoundArguments {
  std::vector<std::string> selection;  // --confounds, in order
  std::size_t skipVolumes = 0;
  bool derivatives = false;
  bool squares = false;
};

// The path with the format its extension names. Throws std::runtime_error naming the path when
// it is not ".sdm", ".rtc", ".tsv", ".txt", ".par" or ".1D".
InputFile toolInput(const std::string& path);
// toolInput of each path, in order.
std::vector<InputFile> toolInputs(const std::vector<std::string>& paths);

// Throws std::runtime_error naming the option for a confound option that none of `inputs` takes
// (a selection without a table, expansions without a text file, skipped volumes without
// either). Returns the options for the readers.
ConfoundOptions confoundOptionsFor(const std::vector<std::string>& inputs,
                                   const ConfoundArguments& arguments);

}  // namespace duv::cli
