#include "design/rtc_file.h"

#include <stdexcept>

#include "design/file_system.h"

namespace duv {

RtcFile::RtcFile(const std::string& path) : RtcFile(readRtcFile(path, realFileSystem())) {}

RtcFile readRtcFile(const std::string& path, FileSystem& files) {
  return readRtc(files.readFile(path), path);
}

RtcFile readRtc(std::string_view, const std::string&) { throw std::logic_error("in progress"); }

}  // namespace duv
