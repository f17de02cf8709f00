#include "cli/check_input.h"

#include <stdexcept>

#include "design/rtc_file.h"
#include "design/sdm_reader.h"
#include "design/text.h"

namespace duv::cli {

DesignMatrix readDesignForCheck(const std::string& path, FileSystem& files) {
  if (hasExtension(path, "sdm")) return readSdmFile(path, files);
  if (hasExtension(path, "rtc")) return DesignMatrix(readRtcFile(path, files));
  throw std::runtime_error(path + " is neither an .sdm nor an .rtc file");
}

}  // namespace duv::cli
