#include "design/sdm_reader.h"

#include <stdexcept>

#include "design/file_system.h"

namespace duv {

DesignMatrix::DesignMatrix(const std::string& path)
    : DesignMatrix(readSdmFile(path, realFileSystem())) {}

DesignMatrix readSdmFile(const std::string& path, FileSystem& files) {
  return readSdm(files.readFile(path), path);
}

DesignMatrix readSdm(std::string_view, const std::string&) { throw std::logic_error("in progress"); }

}  // namespace duv
