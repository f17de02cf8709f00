#include "merge/six_decimals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "design/sdm_writer.h"
#include "tests/support/design_builder.h"

namespace duv {
namespace {

using testing::makeDesign;
using Column = std::vector<float>;

// Of two values the sample deviation is |a - b| / sqrt(2) and the root mean square of the
// rounding errors e and 0 is e / sqrt(2): {0, a} has the relative error e / a. 0.0000396 and
// 0.0000404 both round to 0.000040, an error of 0.0000004: 1.0101 % and 0.9901 %, on either
// side of the 1 % bound.
TEST(SixDecimalsTest, LossIsJudgedOnTheColumnsReadBackValuesAtTheBound) {
  struct Case {
    const char* description;
    Column column;
    DecimalLoss loss;
    double relativeError;  // to 1e-6
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {"just above the bound", {0, 0.0000396F}, DecimalLoss::distorted, 0.0101010},
      {"just below the bound", {0, 0.0000404F}, DecimalLoss::none, 0.0099010},
      {"squared rotations, all read back as 0",
       {1e-7F, 4e-7F, 2e-7F, 0},
       DecimalLoss::flattened,
       1.3416408},
      {"read back as one value that is not 0",
       {0.0000101F, 0.0000098F},
       DecimalLoss::flattened,
       0.7453560},
      {"six decimals exactly", {0.25F, -0.125F, 0.000001F}, DecimalLoss::none, 0},
      {"large values", {830.5F, 831.25F, 829.75F}, DecimalLoss::none, 0},
      {"just varied enough to be judged without its read-back values",
       {0, 0.00015F},
       DecimalLoss::none,
       0},
      // Not judged: nothing varies, or nothing is a number.
      {"constant", {0.0000001F, 0.0000001F}, DecimalLoss::none, 0},
      {"all zero", {0, 0, 0}, DecimalLoss::none, 0},
      {"one value", {0.0000001F}, DecimalLoss::none, 0},
      {"empty", {}, DecimalLoss::none, 0},
      {"holding NaN", {0.0000001F, nan}, DecimalLoss::none, 0},
      {"holding an infinity",
       {0.0000001F, std::numeric_limits<float>::infinity()},
       DecimalLoss::none,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    const auto loss = sixDecimalLoss(c.column);
    EXPECT_EQ(loss.loss, c.loss);
    EXPECT_NEAR(loss.relativeError, c.relativeError, 1e-6);
  }
}

// Confounds get the least power of ten that keeps them; main predictors are only reported.
TEST(SixDecimalsTest, ConfoundsAreScaledByTheLeastPowerOfTenThatKeepsThem) {
  auto design = makeDesign({"Task", "Tiny task", "rot_x_power2", "edge", "trans_x", "Constant"},
                           {{0, 1, 0, 1},
                            {0, 0.0000002F, 0, 0.0000004F},
                            {0.0000001F, 0.00000025F, 0.00000012F, 0.00000033F},
                            {0, 0.0000396F, 0, 0.0000396F},
                            {0.1F, 0.2F, -0.3F, 0},
                            {1, 1, 1, 1}},
                           3);
  const auto original = design.values;
  const auto remedies = keepInSixDecimals(design);
  ASSERT_EQ(remedies.size(), 3U);
  EXPECT_EQ(remedies[0].name, "Tiny task");
  EXPECT_FALSE(remedies[0].confound);
  EXPECT_EQ(remedies[0].loss.loss, DecimalLoss::flattened);
  EXPECT_EQ(remedies[0].exponent, 1);
  EXPECT_EQ(design.values[1], original[1]);

  EXPECT_EQ(remedies[1].name, "rot_x_power2");
  EXPECT_TRUE(remedies[1].confound);
  EXPECT_EQ(remedies[1].loss.loss, DecimalLoss::flattened);
  EXPECT_EQ(remedies[1].exponent, 2);
  const Column hundredfold{0.00001F, 0.000025F, 0.000012F, 0.000033F};
  for (std::size_t t = 0; t < 4; ++t) EXPECT_FLOAT_EQ(design.values[2][t], hundredfold[t]) << t;

  EXPECT_EQ(remedies[2].name, "edge");
  EXPECT_EQ(remedies[2].loss.loss, DecimalLoss::distorted);
  EXPECT_EQ(remedies[2].exponent, 1);
  for (std::size_t t = 0; t < 4; ++t) {
    EXPECT_FLOAT_EQ(design.values[3][t], t % 2 == 0 ? 0.0F : 0.000396F) << t;
  }

  for (const std::size_t p : {0U, 4U, 5U}) EXPECT_EQ(design.values[p], original[p]) << p;
  // What the file reads back of the scaled columns is what was scaled.
  for (const std::size_t p : {2U, 3U}) {
    EXPECT_EQ(sixDecimalLoss(asReadBack(design).values[p]).loss, DecimalLoss::none) << p;
    EXPECT_EQ(sixDecimalLoss(design.values[p]).loss, DecimalLoss::none) << p;
  }
}

TEST(SixDecimalsTest, AColumnNoPowerOfTenKeepsIsReportedUnscaled) {
  // The largest float beside a tiny difference: scaling overflows before the difference shows.
  const float largest = std::numeric_limits<float>::max();
  auto design = makeDesign({"C"}, {{largest, largest, std::nextafter(largest, 0.0F)}}, 1);
  const auto original = design.values;
  const auto remedies = keepInSixDecimals(design);
  EXPECT_TRUE(remedies.empty());  // a huge column reads back exactly enough: nothing to do
  EXPECT_EQ(design.values, original);

  auto tiny = makeDesign({"C"}, {{0, std::numeric_limits<float>::denorm_min()}}, 1);
  const auto tinyRemedies = keepInSixDecimals(tiny);
  ASSERT_EQ(tinyRemedies.size(), 1U);
  EXPECT_EQ(tinyRemedies[0].loss.loss, DecimalLoss::flattened);
  EXPECT_EQ(tinyRemedies[0].exponent, 0);
  EXPECT_EQ(tiny.values[0][1], std::numeric_limits<float>::denorm_min());
}

}  // namespace
}  // namespace duv
