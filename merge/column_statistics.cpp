#include "merge/column_statistics.h"

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

}  // namespace duv
