#include "design/design_format.h"
#include "design/rtc_file.h"

namespace duv {
namespace {

ReadDesign readTimeCourses(std::string_view text, const std::string& path, const ConfoundOptions&,
                           FileSystem&) {
  return {designOfRtc(readRtc(text, path)), {}};
}

}  // namespace

// Time-course files: every course becomes a confound.
const DesignFormat kRtcFormat{
    .name = "RTC",
    .extensions = rtc::kExtensions,
    .read = readTimeCourses,
};

}  // namespace duv
