#pragma once

#include <string>
#include <string_view>

#include "design/confound_table.h"

namespace duv {

class FileSystem;

// Reads a motion or regressor text file (motion_text_format.h); `name` is the path for
// fileName, the column names ("<file name without extension>_<k>", k from 1) and messages.
// Throws errors naming the file (and the line):
//   std::runtime_error for a file without rows, a row of another number of values than the
//   first, a file name holding a double quote (design-matrix names cannot hold one), and counts
//   beyond the design-matrix limits;
//   the errors of throwCellError (confound_cell.h) for a value that is not a number, "n/a"
//   included, with the context "<name>, line <n>, column <column name>".
ConfoundTable readMotionText(std::string_view text, const std::string& name);
ConfoundTable readMotionTextFile(const std::string& path, FileSystem& files);

}  // namespace duv
