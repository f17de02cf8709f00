#pragma once

#include <string>
#include <string_view>

#include "design/design_matrix.h"

namespace duv {

class FileSystem;

// Reads SDM text into a new matrix whose fileName is `name`; `name` also names the file in
// messages. Throws errors naming the file (and the line, for a data row):
//   std::invalid_argument "invalid stof argument: ..." for text where a value is expected,
//   std::out_of_range "stof argument out of range: ..." for a value beyond double precision
//   or beyond single precision (one the float a design holds would make infinite),
//   std::runtime_error for a header that cannot be read, counts beyond the limits, rows holding
//   another number of values, and a file that ends before all rows.
// The text is read up to the view's end, which need not be terminated.
DesignMatrix readSdm(std::string_view text, const std::string& name);
// readSdm of the file's contents, `path` as the name; FileSystem::readFile's errors pass on.
DesignMatrix readSdmFile(const std::string& path, FileSystem& files);

}  // namespace duv
