#include "merge/six_decimals.h"

#include <algorithm>
#include <cmath>

#include "design/number_text.h"
#include "design/sdm_format.h"

namespace duv {
namespace {

constexpr int kLargestExponent = 38;  // beyond it every float value overflows

// The value an SDM file reads back, as asReadBack makes it.
double readBack(float value) {
  char text[maxFixedLength(sdm::kDecimals)];
  const char* end = writeFixed(text, value, sdm::kDecimals);
  return static_cast<double>(static_cast<float>(scanDouble(text, end).value));
}

bool judged(const std::vector<float>& column) {
  if (column.size() < 2) return false;
  if (!std::all_of(column.begin(), column.end(), [](float x) { return std::isfinite(x); })) {
    return false;
  }
  return std::any_of(column.begin(), column.end(), [&](float x) { return x != column.front(); });
}

std::vector<float> scaled(const std::vector<float>& column, int exponent) {
  const double factor = std::pow(10.0, exponent);
  std::vector<float> result(column.size());
  for (std::size_t t = 0; t < column.size(); ++t) {
    result[t] = static_cast<float>(static_cast<double>(column[t]) * factor);
  }
  return result;
}

int exponentKeeping(const std::vector<float>& column) {
  for (int exponent = 1; exponent <= kLargestExponent; ++exponent) {
    const auto candidate = scaled(column, exponent);
    if (!std::all_of(candidate.begin(), candidate.end(),
                     [](float x) { return std::isfinite(x); })) {
      return 0;
    }
    if (sixDecimalLoss(candidate).loss == DecimalLoss::none) return exponent;
  }
  return 0;
}

}  // namespace

DecimalLossOf sixDecimalLoss(const std::vector<float>& column) {
  if (!judged(column)) return {};
  const double n = static_cast<double>(column.size());
  double sum = 0.0;
  for (const float x : column) sum += static_cast<double>(x);
  const double mean = sum / n;
  double squares = 0.0;
  for (const float x : column) {
    const double value = static_cast<double>(x);
    squares += (value - mean) * (value - mean);
  }
  const double deviation = std::sqrt(squares / (n - 1.0));
  // Rounding to six decimals moves a value by at most 5e-7, and narrowing the result to float
  // by less than another 5e-7 where that is not exact: a column this varied loses nothing, and
  // its values need not be written out (the merges' results are mostly such columns).
  if (deviation >= kNeverLostDeviation) return {};
  double errors = 0.0;
  bool flat = true;
  const double first = readBack(column.front());
  for (const float x : column) {
    const double back = readBack(x);
    errors += (back - static_cast<double>(x)) * (back - static_cast<double>(x));
    flat = flat && back == first;
  }
  const double relativeError = std::sqrt(errors / n) / deviation;
  if (flat) return {DecimalLoss::flattened, relativeError};
  if (relativeError > kDistortionBound) return {DecimalLoss::distorted, relativeError};
  return {DecimalLoss::none, relativeError};
}

std::vector<DecimalRemedy> keepInSixDecimals(DesignMatrix& matrix) {
  std::vector<DecimalRemedy> remedies;
  const auto firstConfound = matrix.firstConfoundPredictor.value - 1;
  for (std::size_t p = 0; p < matrix.values.size(); ++p) {
    const auto loss = sixDecimalLoss(matrix.values[p]);
    if (loss.loss == DecimalLoss::none) continue;
    DecimalRemedy remedy;
    remedy.name = p < matrix.predictorNames.size() ? matrix.predictorNames[p] : std::string();
    remedy.confound = firstConfound >= 0 && p >= static_cast<std::size_t>(firstConfound);
    remedy.loss = loss;
    remedy.exponent = exponentKeeping(matrix.values[p]);
    if (remedy.confound && remedy.exponent != 0) {
      matrix.values[p] = scaled(matrix.values[p], remedy.exponent);
    }
    remedies.push_back(std::move(remedy));
  }
  return remedies;
}

}  // namespace duv
