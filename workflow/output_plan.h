#pragma once

// Refusing, before anything is read or written, a run that would write one file twice, over one
// of its inputs, or over a file the tool did not write.

#include <string>
#include <string_view>
#include <vector>

#include "design/file_system.h"
#include "workflow/result_names.h"

namespace duv {

// Throws std::runtime_error naming both paths when two outputs are the same file
//   the outputs X and Y would be the same file
// or an output is the same file as an input
//   the output X would overwrite the input Y
// compared by FileSystem::canonicalPath (".", ".." and links resolved). Looks at nothing else.
void checkOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs,
                  FileSystem& files);

// Throws std::runtime_error when a correlation report or table of `results` would replace an
// existing file that is not one the tool wrote: a report is the tool's when it begins with the
// line "Top 10 correlations between main predictors:", a table when its first line is empty
// (a design without predictors) or begins with " ; ". The message is
//   X exists and is not a correlation report of this tool; it is left as it is: <wayOut>
// ("correlation table" for a table). What is not a file there is left to the writing.
void checkReportsReplaceable(const std::vector<ResultFiles>& results, std::string_view wayOut,
                             FileSystem& files);

}  // namespace duv
