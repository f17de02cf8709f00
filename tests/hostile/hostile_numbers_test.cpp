// Hostile numbers: values beyond single precision in every reader, transformations that would
// overflow, negative displacements, and inputs that would make unbounded work (spike columns
// beyond the degrees of freedom, designs of more predictors than data points, many contrasts). Each
// is refused with its exact error, before anything is made; values that only underflow stay values.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "check/contrast_expression.h"
#include "check/design_check.h"
#include "design/confound_expansion.h"
#include "design/confound_table.h"
#include "design/motion_input.h"
#include "design/motion_text.h"
#include "design/sdm_reader.h"
#include "merge/z_transform.h"
#include "tests/support/design_builder.h"
#include "tests/support/expect_error.h"
#include "workflow/head_motion.h"

namespace duv {
namespace {

using testing::expectError;
using testing::makeMatrix;

struct NumberCase {
  std::string text;
  // The error; empty when the text is read as `value`.
  std::string error;
  float value = 0.0F;
};

// One reader over its cases: `read` reads a file holding the case's text as its one value.
void expectNumbers(const std::vector<NumberCase>& cases,
                   const std::function<float(const std::string&)>& read) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      const float value = read(c.text);
      EXPECT_EQ(c.error, "") << "read as " << value;
      EXPECT_EQ(value, c.value);
      EXPECT_EQ(std::signbit(value), std::signbit(c.value));
    } catch (const std::exception& error) {
      EXPECT_EQ(error.what(), c.error);
    }
  }
}

TEST(HostileNumbersTest, SdmValuesBeyondSinglePrecisionAreOutOfRangeAsBeyondDouble) {
  const std::string range = "stof argument out of range: n.sdm, line 5: ";
  expectNumbers(
      {
          {"1e39", range + "1e39"},
          {"-1e39", range + "-1e39"},
          {"3.4028236e38", range + "3.4028236e38"},
          {"1e400", range + "1e400"},
          // The largest float, and a double that rounds down to it, are values.
          {"3.4028234e38", "", 3.4028234e38F},
          {"3.40282356e38", "", 3.4028234e38F},
          {"1e-40", "", 1e-40F},
          {"-1e-50", "", -0.0F},
          {"inf", "", INFINITY},
      },
      [](const std::string& text) {
        const auto m = readSdm(
            "NrOfPredictors: 1\nNrOfDataPoints: 1\nFirstConfoundPredictor: 2\n"
            "\"A\"\n" +
                text + "\n",
            "n.sdm");
        return m.values.at(0).at(0);
      });
}

TEST(HostileNumbersTest, ConfoundCellsBeyondSinglePrecisionAreOutOfRangeAsBeyondDouble) {
  const std::string range = "stof argument out of range: c.tsv, line 3, column csf: ";
  expectNumbers(
      {
          {"1e39", range + "1e39"},
          {"-3.5e38", range + "-3.5e38"},
          {"1e400", range + "1e400"},
          {"3.4028234e38", "", 3.4028234e38F},
          {"1e-40", "", 1e-40F},
          {"-1e-50", "", -0.0F},
      },
      [](const std::string& text) {
        return readConfoundTable("csf\n0.5\n" + text + "\n", "c.tsv").columns.at(0).at(1);
      });
}

TEST(HostileNumbersTest, MotionTextValuesBeyondSinglePrecisionAreOutOfRangeAsBeyondDouble) {
  const std::string range = "stof argument out of range: rp.txt, line 2, column rp_3: ";
  expectNumbers(
      {
          {"1e39", range + "1e39"},
          {"-1E+39", range + "-1E+39"},
          {"1e-400", range + "1e-400"},
          {"1e-40", "", 1e-40F},
      },
      [](const std::string& text) {
        return readMotionText("0 0 0 0 0 0\n0 0 " + text + " 0 0 0\n", "rp.txt")
            .columns.at(2)
            .at(1);
      });
}

TEST(HostileNumbersTest, NegativeFramewiseDisplacementIsRefusedWithItsLine) {
  const std::string table = "framewise_displacement\tcsf\nn/a\t1\n0.25\t2\n-1e30\t3\n";
  expectError<std::runtime_error>(
      [&] { readMotionInput(table, "fd.tsv", MotionLayout::table, 0); },
      "fd.tsv, line 4, column framewise_displacement: a displacement is never negative");
  expectError<std::runtime_error>(
      [&] { readMotionInput(table, "fd.tsv", MotionLayout::table, 1); },
      "fd.tsv, line 4, column framewise_displacement: a displacement is never negative");
  const auto zero =
      readMotionInput("framewise_displacement\n0.5\n-0\n", "fd.tsv", MotionLayout::table, 0);
  EXPECT_EQ(zero.displacementColumn, (std::vector<double>{0.5, -0.0}));
}

TEST(HostileNumbersTest, ZTransformationThatOverflowsNamesTheColumn) {
  struct Case {
    const char* description;
    std::vector<float> column;
    std::string error;
  };
  const std::string overflow =
      "run1_motion.tsv, column trans_x: its z-transformation overflows "
      "single precision";
  const Case cases[] = {
      {"sums of squares overflow", {1e20F, -1e20F, 2e20F}, overflow},
      {"the sum overflows", {3e38F, 3e38F, -1.0F}, overflow},
      {"a difference from the mean overflows", {3e38F, -3e38F, -3e38F}, overflow},
      {"large but within range", {1e18F, -1e18F, 2e18F}, ""},
      // What the inputs held already is no overflow: it passes on as before.
      {"an input holds NaN", {NAN, 1.0F, 2.0F}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    auto matrix = makeMatrix("run1_motion.tsv", 3, 1, {{"trans_x", c.column}});
    if (c.error.empty()) {
      zTransformConfounds(matrix);
      continue;
    }
    expectError<std::runtime_error>([&] { zTransformConfounds(matrix); }, c.error);
  }
}

TEST(HostileNumbersTest, ExpansionsThatOverflowNameTheColumnMade) {
  struct Case {
    std::vector<float> column;
    bool derivatives;
    bool squares;
    std::string error;
  };
  const std::string file = "rp.txt, column rp_1";
  const Case cases[] = {
      {{3e38F, -3e38F},
       true,
       false,
       file + "_derivative1: the difference of two values overflows single precision"},
      {{2e19F, 0.0F},
       false,
       true,
       file + "_power2: the square of a value overflows single precision"},
      {{1e19F, -1e19F},
       true,
       true,
       file + "_derivative1_power2: the square of a value overflows single precision"},
      {{1e19F, -1e19F}, true, false, ""},
      {{1e19F, -1e19F}, false, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    ConfoundTable table;
    table.fileName = "rp.txt";
    table.names = {"rp_1"};
    table.columns = {c.column};
    table.rows = c.column.size();
    if (c.error.empty()) {
      expandMotion(table, c.derivatives, c.squares);
      for (const auto& column : table.columns) {
        for (const float value : column) EXPECT_TRUE(std::isfinite(value));
      }
      continue;
    }
    expectError<std::runtime_error>([&] { expandMotion(table, c.derivatives, c.squares); },
                                    c.error);
  }
}

TEST(HostileNumbersTest, SpikesBeyondTheDegreesOfFreedomAreRefusedBeforeAnyColumn) {
  const auto design =
      makeMatrix("run1.sdm", 5, 2, {{"Task", {1, 0, 1, 0, 1}}, {"csf", {1, 2, 3, 4, 5}}});
  const LogSink log = [](std::string_view, std::string_view) {};
  auto matrix = design;
  expectError<std::runtime_error>(
      [&] {
        addSpikes(matrix, "run1.tsv", {0.0, 1.0, 1.0, 1.0, 0.0}, 0.5, log);
      },
      "run1.tsv: 3 volumes are flagged as spikes, more than the 2 spike columns that 5 data "
      "points and 2 predictors allow (one residual degree of freedom must remain); a higher "
      "spike threshold (fd:<mm>) flags fewer volumes");
  testing::expectSameMatrix(matrix, design);
  // One degree of freedom left is enough.
  EXPECT_EQ(addSpikes(matrix, "run1.tsv", {0.0, 1.0, 1.0, 0.0, 0.0}, 0.5, log).size(), 2U);
  EXPECT_EQ(matrix.nrOfPredictors.value, 4);
}

TEST(HostileNumbersTest, MorePredictorsThanDataPointsAreRankDeficientWithoutTheirNullSpace) {
  // 40 columns of 8 data points, each a different mix of the same few patterns: the rank is
  // that of the data points, and the dependent columns are not factored among themselves.
  std::vector<testing::Predictor> predictors;
  for (int p = 0; p < 40; ++p) {
    std::vector<float> values;
    for (int t = 0; t < 8; ++t)
      values.push_back(static_cast<float>((p * 7 + t * t * 3 + p * t) % 11));
    predictors.push_back({"c" + std::to_string(p), values});
  }
  const auto check = checkDesign(makeMatrix("wide.tsv", 8, 1, predictors), {});
  EXPECT_EQ(check.varying.size(), 40U);
  EXPECT_EQ(check.rank, 7U);
  EXPECT_EQ(check.residualDegreesOfFreedom, 0);
  EXPECT_TRUE(check.dataPointsExhausted);
  EXPECT_TRUE(std::isinf(check.conditionNumber));
  EXPECT_TRUE(check.correlationFactor.throughPivots);
  EXPECT_EQ(check.correlationFactor.nullGram.rank(), 7U);
  ASSERT_FALSE(check.warnings.empty());
  EXPECT_EQ(check.warnings.front().kind, WarningKind::degreesOfFreedom);
}

TEST(HostileNumbersTest, ManyContrastsAreReadAndAskedTwiceIsNamed) {
  constexpr std::size_t kContrasts = 100000;
  std::string text = "name\texpression\n";
  for (std::size_t k = 0; k < kContrasts; ++k) text += "c" + std::to_string(k) + "\tTask\n";
  EXPECT_EQ(readContrasts(text, "many.tsv").size(), kContrasts);
  text += "c7\tTask\n";
  expectError<std::runtime_error>([&] { readContrasts(text, "many.tsv"); },
                                  "many.tsv, line " + std::to_string(kContrasts + 2) +
                                      ": contrast \"c7\" is named again (first on line 9)");
}

}  // namespace
}  // namespace duv
