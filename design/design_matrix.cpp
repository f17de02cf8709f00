#include "design/design_matrix.h"

#include "design/paths.h"
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

}  // namespace duv
