#include "merge/z_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/support/design_builder.h"

namespace duv {
namespace {

using testing::expectInvariants;
using testing::expectSameMatrix;
using testing::makeMatrix;
using testing::Predictor;
using Column = std::vector<float>;

const Predictor kMain{"A", {1, 2, 3}, 10, 20, 30};
const Predictor kConfound{"C", {1, 2, 3}, 40, 50, 60};
const Predictor kConstant{"Constant", {1, 1, 1}, 255, 255, 255};

float pow2(int exponent) { return std::ldexp(1.0F, exponent); }

TEST(ZTransformTest, ColumnIsCentredAndScaledToUnitSampleDeviation) {
  struct Case {
    const char* description;
    Column column;
    Column expected;
  };
  const float e13 = pow2(-13);  // a deviation just above 0.0001
  const float e14 = pow2(-14);  // a deviation just below 0.0001
  const float e24 = pow2(-24);
  const Case cases[] = {
      {"mean 2, deviation 1", {1, 2, 3}, {-1, 0, 1}},
      {"mean 2, deviation 2", {0, 2, 4}, {-1, 0, 1}},
      {"deviation above the threshold is divided", {1 - e13, 1, 1 + e13}, {-1, 0, 1}},
      {"deviation below the threshold is only centred", {1 - e14, 1, 1 + e14}, {-e14, 0, e14}},
      {"fifth decimal place only", {0.5F, 0.50001F, 0.5F}, {-56 * e24, 112 * e24, -56 * e24}},
      {"zeros stay zeros", {0, 0, 0}, {0, 0, 0}},
      {"constant ones stay", {1, 1, 1}, {1, 1, 1}},
      {"constant of any value stays", {-5, -5, -5}, {-5, -5, -5}},
      {"zero then constant is not constant",
       {0, 3, 3},
       {-2 / std::sqrt(3.0F), 1 / std::sqrt(3.0F), 1 / std::sqrt(3.0F)}},
      {"single non-zero value is constant", {3}, {3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    const auto n = static_cast<std::int32_t>(c.column.size());
    DesignMatrix matrix = makeMatrix("m.sdm", n, 1, {{"C", c.column}});
    zTransformFrom(matrix, 0);
    EXPECT_EQ(matrix.values[0], c.expected);
  }
}

TEST(ZTransformTest, SingleDataPointOfZeroBecomesNotANumber) {
  DesignMatrix matrix = makeMatrix("m.sdm", 1, 1, {{"C", {0}}});
  zTransformConfounds(matrix);
  ASSERT_EQ(matrix.values[0].size(), 1U);
  EXPECT_TRUE(std::isnan(matrix.values[0][0]));
}

TEST(ZTransformTest, OnlyNonConstantConfoundsChange) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kMain, kConfound, kConstant});
  DesignMatrix expected =
      makeMatrix("m.sdm", 3, 2, {kMain, {"C", {-1, 0, 1}, 40, 50, 60}, kConstant});
  zTransformConfounds(matrix);
  expectSameMatrix(matrix, expected);
  expectInvariants(matrix);
}

TEST(ZTransformTest, MatrixWithOnlyConfoundsHasEveryPredictorTransformed) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 1, {kMain, kConfound});
  zTransformConfounds(matrix);
  EXPECT_EQ(matrix.values, (std::vector<Column>{{-1, 0, 1}, {-1, 0, 1}}));
}

TEST(ZTransformTest, BoundaryOutsideTheConfoundsTransformsNothing) {
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  for (const std::int32_t firstConfound : {3, 4, kMax, 0, -1, kMin}) {
    SCOPED_TRACE(firstConfound);
    DesignMatrix matrix = makeMatrix("m.sdm", 3, firstConfound, {kMain, kConfound});
    const DesignMatrix original = matrix;
    zTransformConfounds(matrix);
    expectSameMatrix(matrix, original);
  }
}

TEST(ZTransformTest, FromIndexTransformsThatColumnAndAllAfterIt) {
  struct Case {
    std::int32_t first;
    std::vector<Column> expected;
  };
  const Case cases[] = {
      {-1, {{1, 2, 3}, {1, 2, 3}}},
      {0, {{-1, 0, 1}, {-1, 0, 1}}},
      {1, {{1, 2, 3}, {-1, 0, 1}}},
      {2, {{1, 2, 3}, {1, 2, 3}}},
      {std::numeric_limits<std::int32_t>::min(), {{1, 2, 3}, {1, 2, 3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    DesignMatrix matrix = makeMatrix("m.sdm", 3, 3, {kMain, kConfound});
    zTransformFrom(matrix, c.first);
    EXPECT_EQ(matrix.values, c.expected);
  }
}

}  // namespace
}  // namespace duv
