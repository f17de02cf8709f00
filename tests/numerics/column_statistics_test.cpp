#include "numerics/column_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace duv {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

float pow2(int exponent) { return std::ldexp(1.0F, exponent); }

TEST(MeanAndDeviationTest, SampleDeviationInSinglePrecision) {
  struct Case {
    const char* description;
    std::vector<float> column;
    float mean;
    float deviation;
  };
  const Case cases[] = {
      {"empty", {}, 0, 0},
      {"one, two, three", {1, 2, 3}, 2, 1},
      {"divides by n - 1", {1, 3}, 2, std::sqrt(2.0F)},
      {"classic example", {2, 4, 4, 4, 5, 5, 7, 9}, 5, std::sqrt(32.0F / 7.0F)},
      {"equal values", {4, 4, 4, 4}, 4, 0},
      {"zeros", {0, 0}, 0, 0},
      {"negative values", {-1, -2, -3}, -2, 1},
      {"tiny spread", {1 - pow2(-13), 1, 1 + pow2(-13)}, 1, pow2(-13)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    const MeanAndDeviation result = meanAndDeviation(c.column);
    EXPECT_EQ(result.mean, c.mean);
    EXPECT_EQ(result.deviation, c.deviation);
  }
}

TEST(MeanAndDeviationTest, OneValueHasItsValueAsMeanAndNoDeviation) {
  for (const float value : {0.0F, 2.5F, -7.0F}) {
    SCOPED_TRACE(value);
    const MeanAndDeviation result = meanAndDeviation({value});
    EXPECT_EQ(result.mean, value);
    EXPECT_TRUE(std::isnan(result.deviation));
  }
}

TEST(MeanAndDeviationTest, SumsInIndexOrderInOneFloatAccumulator) {
  // In index order 2^24 + 1 rounds back to 2^24 twice, and the total is 0. Any other order, or a
  // wider accumulator, keeps the ones and gives a mean of 0.5.
  const float big = pow2(24);
  const MeanAndDeviation result = meanAndDeviation({big, 1, 1, -big});
  EXPECT_EQ(result.mean, 0.0F);
  // q = 2^48 + 1 + 1 + 2^48: the ones vanish in float as well.
  EXPECT_EQ(result.deviation, std::sqrt(pow2(49) / 3.0F));
}

TEST(MeanAndDeviationTest, NotANumberSpreadsToBoth) {
  const MeanAndDeviation result = meanAndDeviation({1, kNaN, 3});
  EXPECT_TRUE(std::isnan(result.mean));
  EXPECT_TRUE(std::isnan(result.deviation));
}

TEST(MeanAndDeviationTest, MeanIsTheFloatSumDividedByTheCountAsFloat) {
  EXPECT_EQ(meanAndDeviation({0, 0, 1}).mean, 1.0F / 3.0F);
  EXPECT_EQ(meanAndDeviation({0.25F, 0.5F}).mean, 0.375F);
}

}  // namespace
}  // namespace duv
