#include "merge/z_transform.h"

#include <cstddef>
#include <vector>

#include "design/column_statistics.h"

namespace duv {
namespace {

constexpr float kDeviationThreshold = 0.0001F;
constexpr float kReplacementDivisor = 1.0F;

void zTransformColumn(std::vector<float>& column) {
  if (isConstantColumn(column)) return;
  const auto [mean, deviation] = meanAndDeviation(column);
  // Strictly below, so that a NaN deviation divides (and shows) rather than being hidden.
  const float divisor = deviation < kDeviationThreshold ? kReplacementDivisor : deviation;
  for (float& x : column) x = (x - mean) / divisor;
}

}  // namespace

void zTransformConfounds(DesignMatrix& matrix) {
  // Tested before subtracting so that the lowest header value cannot overflow.
  if (matrix.firstConfoundPredictor.value <= 0) return;
  zTransformFrom(matrix, matrix.firstConfoundPredictor.value - 1);
}

void zTransformFrom(DesignMatrix& matrix, std::int32_t first) {
  if (first < 0) return;
  for (auto c = static_cast<std::size_t>(first); c < matrix.values.size(); ++c) {
    zTransformColumn(matrix.values[c]);
  }
}

}  // namespace duv
