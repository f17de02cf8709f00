#include "numerics/column_statistics.h"

#include <algorithm>
#include <cmath>

namespace duv {

MeanAndDeviation meanAndDeviation(const std::vector<float>& column) {
  if (column.empty()) return {0.0F, 0.0F};
  // One float accumulator per pass, in index order: the results must be the same bits on every
  // platform, so neither a wider accumulator nor a reordered sum is allowed.
  float sum = 0.0F;
  for (const float x : column) sum += x;
  const float mean = sum / static_cast<float>(column.size());
  float squares = 0.0F;
  for (const float x : column) {
    const float difference = x - mean;
    squares += difference * difference;
  }
  const float deviation = std::sqrt(squares / static_cast<float>(column.size() - 1));
  return {mean, deviation};
}

bool isConstantColumn(const std::vector<float>& column) {
  if (column.empty()) return false;
  const float first = column.front();
  if (first == 0.0F) return false;
  // Comparing the first value with itself rejects a NaN.
  return std::all_of(column.begin(), column.end(), [first](float x) { return x == first; });
}

bool lastColumnIsConstant(const DesignMatrix& matrix) {
  return !matrix.values.empty() && isConstantColumn(matrix.values.back());
}

}  // namespace duv
