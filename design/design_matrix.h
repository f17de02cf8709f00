#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "design/header_field.h"

namespace duv {

// One design matrix: a table of nrOfDataPoints rows (data points) by nrOfPredictors columns
// (predictors), a name and a colour per predictor, and the five header entries of its file.
//
// A plain value type: copies are deep and share nothing. Members are read and changed directly.
//
// Predictors at 0-based positions below firstConfoundPredictor.value - 1 are main predictors,
// the others confounds; firstConfoundPredictor.value == nrOfPredictors.value + 1 means there are
// no confounds.
//
// Invariants kept by the readers and by every operation that adds or removes predictors:
//   colorRed, colorGreen, colorBlue, predictorNames and values have nrOfPredictors.value entries;
//   every values[p] has nrOfDataPoints.value entries.
struct DesignMatrix;

// The fileName of a matrix converted from a file of another format (a time-course file, a
// confound file of another tool): that file's path with its extension replaced by ".sdm".
std::string convertedFileName(std::string_view path);

struct DesignMatrix {
  // An empty matrix with the default header: all five entries present, width 24 (so written
  // values start in column 24), FileVersion 1, every other value 0 or false.
  DesignMatrix();

  std::string fileName;
  IntHeaderField fileVersion;
  IntHeaderField nrOfPredictors;
  IntHeaderField nrOfDataPoints;
  BoolHeaderField includesConstant;
  IntHeaderField firstConfoundPredictor;
  std::vector<std::int32_t> colorRed;
  std::vector<std::int32_t> colorGreen;
  std::vector<std::int32_t> colorBlue;
  std::vector<std::string> predictorNames;  // "NoName" where the file gave none
  std::vector<std::vector<float>> values;   // values[p][t]: predictor p at data point t
};

}  // namespace duv
