// Fuzz target: RTC text through the reader and the conversion into a design matrix.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>
#include <utility>

#include "design/design_matrix.h"
#include "design/rtc_file.h"
#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  duv::RtcFile rtc;
  try {
    rtc = duv::readRtc(text, "fuzz.rtc");
  } catch (const std::exception&) {
    return 0;  // refusing the text is an expected outcome
  }
  const auto m = duv::designOfRtc(std::move(rtc));
  duv::fuzz::checkInvariants(m);
  return 0;
}
