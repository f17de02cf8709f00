// Fuzz target: SDM text through the reader, then the read matrix written and read back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <string_view>

#include "design/design_matrix.h"
#include "design/sdm_reader.h"
#include "design/sdm_writer.h"
#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  duv::DesignMatrix m;
  try {
    m = duv::readSdm(text, "fuzz.sdm");
  } catch (const std::exception&) {
    return 0;  // refusing the text is an expected outcome
  }
  duv::fuzz::checkInvariants(m);
  // A short header can announce a large empty matrix (ten million rows of no predictors), whose
  // text is far longer than the input: only matrices of a size that follows the input's are
  // written back, so that every input runs in milliseconds.
  const auto cells = (static_cast<std::size_t>(m.nrOfPredictors.value) + 1) *
                     (static_cast<std::size_t>(m.nrOfDataPoints.value) + 1);
  if (cells > 4 * size + 1024) return 0;
  // Whatever was read can be written, and what is written reads back: same counts, colours
  // and names (values are rounded to six decimals on the way).
  std::ostringstream out;
  writeSdm(m, out);
  duv::DesignMatrix again;
  try {
    again = duv::readSdm(out.str(), "again.sdm");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    duv::fuzz::fail("a written matrix cannot be read back");
  }
  duv::fuzz::checkInvariants(again);
  if (again.nrOfPredictors.value != m.nrOfPredictors.value ||
      again.nrOfDataPoints.value != m.nrOfDataPoints.value ||
      again.firstConfoundPredictor.value != m.firstConfoundPredictor.value ||
      again.includesConstant.value != m.includesConstant.value || again.colorRed != m.colorRed ||
      again.colorGreen != m.colorGreen || again.colorBlue != m.colorBlue ||
      again.predictorNames != m.predictorNames) {
    duv::fuzz::fail("a written matrix reads back as another matrix");
  }
  return 0;
}
