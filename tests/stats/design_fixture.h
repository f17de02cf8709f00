#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "design/design_matrix.h"

namespace duv::testing {

// A design matrix holding `columns` under `names`, with consistent counts.
inline DesignMatrix makeDesign(const std::vector<std::string>& names,
                               const std::vector<std::vector<float>>& columns,
                               std::int32_t firstConfoundPredictor,
                               const std::string& fileName = "study/run1.sdm") {
  DesignMatrix matrix;
  matrix.fileName = fileName;
  matrix.nrOfPredictors.value = static_cast<std::int32_t>(columns.size());
  matrix.nrOfDataPoints.value =
      columns.empty() ? 0 : static_cast<std::int32_t>(columns.front().size());
  matrix.firstConfoundPredictor.value = firstConfoundPredictor;
  matrix.predictorNames = names;
  matrix.values = columns;
  matrix.colorRed.assign(columns.size(), 255);
  matrix.colorGreen.assign(columns.size(), 255);
  matrix.colorBlue.assign(columns.size(), 255);
  return matrix;
}

}  // namespace duv::testing
