#include "merge/z_transform.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

#include "numerics/column_statistics.h"

namespace duv {
namespace {

constexpr float kDeviationThreshold = 0.0001F;
constexpr float kReplacementDivisor = 1.0F;

bool allFinite(const std::vector<float>& column) {
  return std::all_of(column.begin(), column.end(), [](float x) { return std::isfinite(x); });
}

void zTransformColumn(std::vector<float>& column, const DesignMatrix& matrix, std::size_t c) {
  if (isConstantColumn(column)) return;
  const auto [mean, deviation] = meanAndDeviation(column);
  // Strictly below, so that a NaN deviation divides (and shows) rather than being hidden.
  const float divisor = deviation < kDeviationThreshold ? kReplacementDivisor : deviation;
  // Of two or more finite values, the mean, the deviation and every result are finite unless a
  // sum or a difference overflowed: a column of huge values would silently become zeros or NaN.
  const bool overflowShows = column.size() > 1 && allFinite(column);
  for (float& x : column) x = (x - mean) / divisor;
  if (overflowShows && (!std::isfinite(mean) || !std::isfinite(deviation) || !allFinite(column))) {
    throw std::runtime_error(matrix.fileName + ", column " + matrix.predictorNames[c] +
                             ": its z-transformation overflows single precision");
  }
}

}  // namespace

bool isIndicatorColumn(const std::vector<float>& column) {
  const auto ones = std::count(column.begin(), column.end(), 1.0F);
  const auto zeros = std::count(column.begin(), column.end(), 0.0F);
  return ones == 1 && ones + zeros == static_cast<std::ptrdiff_t>(column.size());
}

void zTransformConfoundsButIndicators(DesignMatrix& matrix) {
  if (matrix.firstConfoundPredictor.value <= 0) return;
  std::vector<std::pair<std::size_t, std::vector<float>>> indicators;
  for (auto c = static_cast<std::size_t>(matrix.firstConfoundPredictor.value - 1);
       c < matrix.values.size(); ++c) {
    if (isIndicatorColumn(matrix.values[c])) indicators.emplace_back(c, matrix.values[c]);
  }
  zTransformConfounds(matrix);
  for (auto& [c, values] : indicators) matrix.values[c] = std::move(values);
}

void zTransformConfounds(DesignMatrix& matrix) {
  // Tested before subtracting so that the lowest header value cannot overflow.
  if (matrix.firstConfoundPredictor.value <= 0) return;
  zTransformFrom(matrix, matrix.firstConfoundPredictor.value - 1);
}

void zTransformFrom(DesignMatrix& matrix, std::int32_t first) {
  if (first < 0) return;
  for (auto c = static_cast<std::size_t>(first); c < matrix.values.size(); ++c) {
    zTransformColumn(matrix.values[c], matrix, c);
  }
}

}  // namespace duv
