// Fuzz target: the whole merge of two matrices, in memory. Input layout:
//   byte 0         options: bit 0 the secondary is RTC text (else SDM), bit 1 remove the
//                  constant predictor (else make sure there is one), bit 2 no z-transformation
//   bytes 1 ...    the primary's SDM text, a NUL byte, the secondary's text
// Read both, merge, handle the constant predictor, z-transform the confounds, then write the
// SDM text, the correlation table and the report into memory.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string_view>

#include "design/design_matrix.h"
#include "design/rtc_file.h"
#include "design/sdm_reader.h"
#include "design/sdm_writer.h"
#include "fuzz/fuzz_checks.h"
#include "merge/constant_predictor.h"
#include "merge/predictors.h"
#include "merge/z_transform.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"

namespace {

constexpr std::uint8_t kSecondaryIsRtc = 1;
constexpr std::uint8_t kRemoveConstant = 2;
constexpr std::uint8_t kNoZTransform = 4;

// The work after reading grows with the matrices, which a short header can announce far larger
// than the input (a million data points of no predictors). Matrices beyond a size that follows
// the input's are not merged, so that every input runs in milliseconds. The table grows with the
// square of the predictors (also without data points) and the report's fits with the cube: they
// get tighter bounds.
constexpr std::size_t kCellsPerInputByte = 4;
constexpr std::size_t kCellsFree = 1024;
constexpr std::size_t kMaxTablePredictors = 256;
constexpr std::size_t kMaxReportPredictors = 24;

std::size_t cells(const duv::DesignMatrix& m) {
  return (static_cast<std::size_t>(m.nrOfPredictors.value) + 2) *
         (static_cast<std::size_t>(m.nrOfDataPoints.value) + 1);
}

duv::DesignMatrix readSecondary(std::string_view text, bool isRtc) {
  if (isRtc) return duv::designOfRtc(duv::readRtc(text, "fuzz2.rtc"));
  return duv::readSdm(text, "fuzz2.sdm");
}

void runPipeline(std::string_view primaryText, std::string_view secondaryText, std::uint8_t options,
                 std::size_t inputSize) {
  const auto primary = duv::readSdm(primaryText, "fuzz1.sdm");
  const auto secondary = readSecondary(secondaryText, (options & kSecondaryIsRtc) != 0);
  duv::fuzz::checkInvariants(primary);
  duv::fuzz::checkInvariants(secondary);
  const std::size_t budget = kCellsPerInputByte * inputSize + kCellsFree;
  if (cells(primary) + cells(secondary) > budget) return;

  auto merged = duv::mergedCopy(primary, secondary);
  duv::fuzz::checkInvariants(merged);
  if ((options & kRemoveConstant) != 0) {
    duv::removeConstant(merged);
  } else {
    duv::ensureConstant(merged);
  }
  duv::fuzz::checkInvariants(merged);
  if ((options & kNoZTransform) == 0) duv::zTransformConfounds(merged);
  duv::fuzz::checkInvariants(merged);

  std::ostringstream sdm;
  writeSdm(merged, sdm);
  const auto predictors = static_cast<std::size_t>(merged.nrOfPredictors.value);
  if (predictors > kMaxTablePredictors) return;
  std::ostringstream table;
  duv::writeCorrelationTable(merged, table);
  if (predictors > kMaxReportPredictors) return;
  std::ostringstream report;
  duv::writeCorrelationReport(merged, report);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto split = std::min(rest.find('\0'), rest.size());
  const auto primary = rest.substr(0, split);
  const auto secondary = split < rest.size() ? rest.substr(split + 1) : std::string_view();
  try {
    runPipeline(primary, secondary, options, size);
  } catch (const std::exception&) {
    // Refused inputs and failed fits are expected outcomes.
  }
  return 0;
}
