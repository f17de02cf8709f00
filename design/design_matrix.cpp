#include "design/design_matrix.h"

#include <utility>

#include "design/paths.h"
#include "design/rtc_file.h"
#include "design/sdm_format.h"

namespace duv {
namespace {

IntHeaderField defaultIntField(std::string_view label, std::int32_t value) {
  return {std::string(label), value, sdm::kDefaultWidth, true};
}

}  // namespace

std::string convertedFileName(std::string_view path) { return replaceExtension(path, ".sdm"); }

DesignMatrix::DesignMatrix()
    : fileVersion(defaultIntField(sdm::kFileVersion, 1)),
      nrOfPredictors(defaultIntField(sdm::kNrOfPredictors, 0)),
      nrOfDataPoints(defaultIntField(sdm::kNrOfDataPoints, 0)),
      includesConstant{std::string(sdm::kIncludesConstant), false, sdm::kDefaultWidth, true},
      firstConfoundPredictor(defaultIntField(sdm::kFirstConfoundPredictor, 0)) {}

DesignMatrix::DesignMatrix(RtcFile rtc) : DesignMatrix() {
  fileName = convertedFileName(rtc.fileName);
  nrOfPredictors.value = rtc.nrOfPredictors.value;
  nrOfDataPoints.value = rtc.nrOfDataPoints.value;
  firstConfoundPredictor.value = 1;
  const auto count = static_cast<std::size_t>(rtc.nrOfPredictors.value);
  colorRed.assign(count, 255);
  colorGreen.assign(count, 255);
  colorBlue.assign(count, 255);
  predictorNames = std::move(rtc.predictorNames);
  values = std::move(rtc.values);
}

}  // namespace duv
