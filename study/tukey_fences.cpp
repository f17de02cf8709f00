#include "study/tukey_fences.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace duv {
namespace {

// The quantile at p of sorted values, linear between neighbours; where a neighbour is infinite
// the quantile is too (unless it falls exactly on a finite value), rather than inf - inf.
double quantile(const std::vector<double>& sorted, double p) {
  const double position = static_cast<double>(sorted.size() - 1) * p;
  const auto below = static_cast<std::size_t>(std::floor(position));
  const double fraction = position - static_cast<double>(below);
  if (fraction == 0.0) return sorted[below];
  const double low = sorted[below];
  const double high = sorted[below + 1];
  if (std::isinf(high)) return high;
  // Neighbours more than the largest double apart (of opposite signs): weighed one by one,
  // since their difference is infinite.
  if (std::isinf(high - low)) return low * (1 - fraction) + high * fraction;
  return low + (high - low) * fraction;
}

}  // namespace

TukeySummary tukeySummary(const std::vector<double>& values) {
  if (values.empty()) throw std::invalid_argument("Tukey's summary of no values");
  for (const double value : values) {
    if (std::isnan(value) || value == -std::numeric_limits<double>::infinity()) {
      throw std::invalid_argument("Tukey's summary of a value that is not a number or -inf");
    }
  }
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());

  TukeySummary summary;
  summary.q1 = quantile(sorted, 0.25);
  summary.median = quantile(sorted, 0.5);
  summary.q3 = quantile(sorted, 0.75);
  summary.upperFence =
      std::isinf(summary.q3) ? summary.q3 : summary.q3 + 1.5 * (summary.q3 - summary.q1);
  summary.lowest = sorted.front();
  summary.highestInside = summary.lowest;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i] > summary.upperFence) {
      summary.outliers.push_back(i);
    } else {
      summary.highestInside = std::max(summary.highestInside, values[i]);
    }
  }
  std::stable_sort(summary.outliers.begin(), summary.outliers.end(),
                   [&](std::size_t a, std::size_t b) { return values[a] > values[b]; });
  return summary;
}

}  // namespace duv
