#pragma once

// Mean and sample standard deviation of one predictor's column, in single precision.

#include <vector>

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

}  // namespace duv
