#include "numerics/motion_spikes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "numerics/column_statistics.h"

namespace duv {
namespace {

constexpr std::int32_t kConfoundColour = 255;

void checkVolumes(const DesignMatrix& design, const std::vector<std::size_t>& flaggedVolumes) {
  const auto points = static_cast<std::size_t>(std::max(design.nrOfDataPoints.value, 0));
  std::unordered_set<std::size_t> seen;
  for (const auto volume : flaggedVolumes) {
    const auto number = std::to_string(volume + 1);
    if (volume >= points) {
      throw std::invalid_argument(design.fileName + ": volume " + number +
                                  " is flagged, but the design has " + std::to_string(points) +
                                  " data points");
    }
    if (!seen.insert(volume).second) {
      throw std::invalid_argument(design.fileName + ": volume " + number + " is flagged twice");
    }
  }
}

}  // namespace

std::string spikeColumnName(std::size_t number) {
  return std::string(kSpikePrefix) + (number < 10 ? "0" : "") + std::to_string(number);
}

void appendSpikeColumns(DesignMatrix& design, const std::vector<std::size_t>& flaggedVolumes) {
  checkVolumes(design, flaggedVolumes);
  const auto points = static_cast<std::size_t>(design.nrOfDataPoints.value);
  // Confounds go in front of a constant last predictor, which stays last; the spikes keep
  // their order among themselves.
  auto position =
      static_cast<std::ptrdiff_t>(design.values.size()) - (lastColumnIsConstant(design) ? 1 : 0);
  for (std::size_t k = 0; k < flaggedVolumes.size(); ++k, ++position) {
    std::vector<float> column(points, 0.0F);
    column[flaggedVolumes[k]] = 1.0F;
    design.values.insert(design.values.begin() + position, std::move(column));
    design.predictorNames.insert(design.predictorNames.begin() + position, spikeColumnName(k));
    design.colorRed.insert(design.colorRed.begin() + position, kConfoundColour);
    design.colorGreen.insert(design.colorGreen.begin() + position, kConfoundColour);
    design.colorBlue.insert(design.colorBlue.begin() + position, kConfoundColour);
  }
  design.nrOfPredictors.value = static_cast<std::int32_t>(design.values.size());
}

}  // namespace duv
