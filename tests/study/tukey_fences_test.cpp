#include "study/tukey_fences.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace duv {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::string listed(const std::vector<double>& values) {
  std::string text;
  for (const double value : values) text += (text.empty() ? "" : ", ") + std::to_string(value);
  return "{" + text + "}";
}

TEST(TukeyFencesTest, QuartilesFenceAndOutliers) {
  struct Case {
    std::vector<double> values;
    double q1, median, q3, fence, lowest, highestInside;
    std::vector<std::size_t> outliers;
  };
  const Case cases[] = {
      {{1}, 1, 1, 1, 1, 1, 1, {}},
      {{2, 2, 2}, 2, 2, 2, 2, 2, 2, {}},
      // Between order statistics: positions 0.75, 1.5 and 2.25.
      {{4, 1, 3, 2}, 1.75, 2.5, 3.25, 5.5, 1, 4, {}},
      {{1, 2, 3, 4, 100}, 2, 3, 4, 7, 1, 4, {4}},
      // Largest first.
      {{10, 1, 2, 3, 2, 1, 50, 3, 2}, 2, 2, 3, 4.5, 1, 3, {6, 0}},
      // Equal values above the fence by position.
      {{1, 1, 1, 1, 1, 9, 1, 1, 9}, 1, 1, 1, 1, 1, 1, {5, 8}},
      // A value on the fence is not above it.
      {{1, 2, 3, 4, 7}, 2, 3, 4, 7, 1, 7, {}},
      // An infinity lies above a finite fence.
      {{1, 2, 3, 4, kInfinity}, 2, 3, 4, 7, 1, 4, {4}},
      // With Q3 infinite, the fence is too, and nothing lies above it.
      {{1, kInfinity, kInfinity, kInfinity},
       kInfinity,
       kInfinity,
       kInfinity,
       kInfinity,
       1,
       kInfinity,
       {}},
      {{-3, -1, 0, 0.5}, -1.5, -0.5, 0.125, 2.5625, -3, 0.5, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(listed(c.values));
    const auto summary = tukeySummary(c.values);
    EXPECT_DOUBLE_EQ(summary.q1, c.q1);
    EXPECT_DOUBLE_EQ(summary.median, c.median);
    EXPECT_DOUBLE_EQ(summary.q3, c.q3);
    EXPECT_DOUBLE_EQ(summary.upperFence, c.fence);
    EXPECT_DOUBLE_EQ(summary.lowest, c.lowest);
    EXPECT_DOUBLE_EQ(summary.highestInside, c.highestInside);
    EXPECT_EQ(summary.outliers, c.outliers);
  }
}

TEST(TukeyFencesTest, NoValuesNaNAndMinusInfinityAreRefused) {
  EXPECT_THROW(tukeySummary({}), std::invalid_argument);
  EXPECT_THROW(tukeySummary({1, std::numeric_limits<double>::quiet_NaN()}), std::invalid_argument);
  EXPECT_THROW(tukeySummary({-kInfinity, 1}), std::invalid_argument);
}

}  // namespace
}  // namespace duv
