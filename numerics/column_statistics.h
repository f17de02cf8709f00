#pragma once

// What the merges and the statistics both ask of one predictor's column: its mean and sample
// standard deviation in single precision, and whether it is constant.

#include <vector>

#include "design/design_matrix.h"

namespace duv {

struct MeanAndDeviation {
  float mean;
  float deviation;
};

// Mean s / n of the float sum s taken in index order from 0, and sample standard deviation
// sqrt(q / (n - 1)) of the float sum q of (x - mean)² taken in index order from 0; every step in
// single precision, n and n - 1 converted to float where they are used.
// An empty column gives mean 0 and deviation 0; a column of one value gives its value as mean
// and NaN as deviation (0 / 0).
MeanAndDeviation meanAndDeviation(const std::vector<float>& column);

// A column with at least one value, a first value that is not 0, and every value equal to the
// first (NaN equals nothing, so a column starting with NaN is not constant; -0.0 equals 0, so a
// column starting with -0.0 is not constant either).
bool isConstantColumn(const std::vector<float>& column);

// isConstantColumn of the last predictor; false for a matrix without predictors.
bool lastColumnIsConstant(const DesignMatrix& matrix);

}  // namespace duv
