#pragma once

// The files `duvendal check` reads, by extension: ".sdm" as a design matrix, ".rtc" as a
// time-course file converted to one (all courses confounds), as the merges read them.

#include <string>

#include "design/design_matrix.h"

namespace duv {
class FileSystem;
}

namespace duv::cli {

// Throws std::runtime_error "PATH is neither an .sdm nor an .rtc file" for another extension,
// and the readers' errors (OpenFileError, errors naming the file and line) otherwise.
DesignMatrix readDesignForCheck(const std::string& path, FileSystem& files);

}  // namespace duv::cli
