#pragma once

// Tukey's summary of one measure across a study's runs, for the group page's distributions:
// its quartiles, the upper fence Q3 + 1.5 IQR, and the runs above it.

#include <cstddef>
#include <vector>

namespace duv {

struct TukeySummary {
  // Quartiles, interpolated linearly between the sorted values (R's default, type 7): the
  // quartile at p lies at position (n - 1) p, counting from 0.
  double q1 = 0.0;
  double median = 0.0;
  double q3 = 0.0;
  double upperFence = 0.0;     // q3 + 1.5 (q3 - q1); infinite when q3 is
  double lowest = 0.0;         // the smallest value
  double highestInside = 0.0;  // the largest value not above the fence
  // Positions in the values of those above the fence, largest first; equal values by position.
  std::vector<std::size_t> outliers;
};

// The summary of `values`: at least one, each finite or +infinity (an infinity lies above any
// finite fence). Throws std::invalid_argument otherwise.
TukeySummary tukeySummary(const std::vector<double>& values);

}  // namespace duv
