#include "stats/correlation.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "design/errors.h"
#include "tests/support/design_builder.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using testing::makeDesign;
using testing::MemoryFileSystem;
using Column = std::vector<float>;

std::uint32_t bitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }

std::string tableOf(const DesignMatrix& matrix) {
  std::ostringstream out;
  writeCorrelationTable(matrix, out);
  return out.str();
}

TEST(MeanAndDeviationTest, SampleDeviationInSinglePrecision) {
  const auto result = meanAndDeviation({1.0F, 2.0F, 3.0F, 4.0F});
  EXPECT_EQ(result.mean, 2.5F);
  // The squared differences 2.25, 0.25, 0.25, 2.25 add up to 5 exactly.
  EXPECT_EQ(result.deviation, std::sqrt(5.0F / 3.0F));
}

TEST(CorrelationTest, PearsonCoefficient) {
  EXPECT_NEAR(correlation({1.0F, 2.0F, 3.0F, 4.0F}, {4.0F, 2.0F, 3.0F, 1.0F}), -0.8F, 1e-6F);
  EXPECT_NEAR(correlation({1.0F, 2.0F, 3.0F, 4.0F}, {2.0F, 4.0F, 6.0F, 8.0F}), 1.0F, 1e-6F);
}

TEST(CorrelationTest, DifferentLengthsGiveZero) {
  EXPECT_EQ(correlation({1.0F, 2.0F, 3.0F}, {1.0F, 2.0F}), 0.0F);
}

TEST(CorrelationTest, ColumnBelowTheDeviationThresholdCorrelatesZeroEvenWithItself) {
  const Column ones{1.0F, 1.0F, 1.0F};
  EXPECT_EQ(correlation(ones, ones), 0.0F);
  EXPECT_EQ(correlation(ones, {1.0F, 2.0F, 3.0F}), 0.0F);
  EXPECT_EQ(correlation({0.5F, 0.50001F, 0.5F}, {1.0F, 2.0F, 3.0F}), 0.0F);
}

TEST(CorrelationTest, ThresholdIsStrictAndNotANumberPasses) {
  const Column a{1.0F, 2.0F, 3.0F};
  const Column b{2.0F, 1.0F, 5.0F};
  const auto ofA = meanAndDeviation(a);
  const float threshold = kCorrelationDeviationThreshold;
  const float below = std::nextafter(threshold, 0.0F);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_NE(correlation(a, ofA, b, {1.0F, threshold}), 0.0F);
  EXPECT_EQ(correlation(a, ofA, b, {1.0F, below}), 0.0F);
  EXPECT_EQ(correlation(a, {2.0F, below}, b, {1.0F, 1.0F}), 0.0F);
  EXPECT_TRUE(std::isnan(correlation(a, ofA, b, {1.0F, nan})));
  EXPECT_TRUE(std::isnan(correlation({1.0F}, {2.0F})));
}

TEST(CorrelationTest, SwappingTheColumnsGivesTheSameBits) {
  const Column a{0.1F, 2.7F, -3.3F, 4.9F, 0.01F, 7.0F};
  const Column b{1.3F, -0.2F, 8.8F, 0.3F, 2.2F, -1.7F};
  EXPECT_EQ(bitsOf(correlation(a, b)), bitsOf(correlation(b, a)));
  const Column c{1e-3F, 3e-3F, 2e-3F, 4e-3F, 9e-3F, 1e-3F};
  EXPECT_EQ(bitsOf(correlation(a, c)), bitsOf(correlation(c, a)));
}

TEST(CorrelationTest, PrecomputedStatisticsGiveTheSameBits) {
  const Column a{0.1F, 2.7F, -3.3F, 4.9F, 0.01F, 7.0F};
  const Column b{1.3F, -0.2F, 8.8F, 0.3F, 2.2F, -1.7F};
  EXPECT_EQ(bitsOf(correlation(a, meanAndDeviation(a), b, meanAndDeviation(b))),
            bitsOf(correlation(a, b)));
}

TEST(CorrelationTableTest, AbsoluteValuesOfEveryPair) {
  const auto matrix =
      makeDesign({"A", "B", "Constant"},
                 {{1.0F, 2.0F, 3.0F, 4.0F}, {4.0F, 2.0F, 3.0F, 1.0F}, {1.0F, 1.0F, 1.0F, 1.0F}}, 3);
  EXPECT_EQ(tableOf(matrix),
            " ; A ; B ; Constant\n"
            "A ; 1.00 ; 0.80 ; 0.00\n"
            "B ; 0.80 ; 1.00 ; 0.00\n"
            "Constant ; 0.00 ; 0.00 ; 0.00\n");
}

TEST(CorrelationTableTest, EdgeMatrices) {
  struct Case {
    const char* what;
    DesignMatrix matrix;
    std::string expected;
  };
  const Case cases[] = {
      {"no predictors", makeDesign({}, {}, 1), "\n"},
      {"no data points", makeDesign({"A", "B"}, {{}, {}}, 1),
       " ; A ; B\nA ; 0.00 ; 0.00\nB ; 0.00 ; 0.00\n"},
      {"one data point", makeDesign({"A", "B"}, {{1.0F}, {2.0F}}, 1),
       " ; A ; B\nA ; nan ; nan\nB ; nan ; nan\n"},
      {"separator in a name", makeDesign({"x ; y"}, {{1.0F, 2.0F}}, 1), " ; x ; y\nx ; y ; 1.00\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(tableOf(c.matrix), c.expected);
  }
}

TEST(CorrelationTableTest, FileNameReplacesTheExtension) {
  struct Case {
    const char* fileName;
    const char* table;
  };
  const Case cases[] = {
      {"D:/study/run1.sdm", "D:/study/run1.csv"},
      {"run1", "run1.csv"},
      {"data.old/run1", "data.csv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName);
    MemoryFileSystem files;
    writeCorrelationTable(makeDesign({"A"}, {{1.0F, 2.0F}}, 2, c.fileName), files);
    ASSERT_EQ(files.files.size(), 1U);
    EXPECT_EQ(files.files.begin()->first, c.table);
    EXPECT_EQ(files.files.begin()->second, " ; A\nA ; 1.00\n");
  }
}

TEST(CorrelationTableTest, UncreatableFileIsAnErrorNamingIt) {
  MemoryFileSystem files;
  files.uncreatable.insert("x.csv");
  try {
    writeCorrelationTable(makeDesign({"A"}, {{1.0F}}, 2, "x.sdm"), files);
    FAIL() << "expected an exception";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot Create file: x.csv");
  }
  EXPECT_TRUE(files.files.empty());
}

TEST(CorrelationTableTest, FailedWriteIsAnErrorAndCommitsNothing) {
  MemoryFileSystem files;
  files.writeLimit["x.csv"] = 5;
  EXPECT_THROW(writeCorrelationTable(makeDesign({"A"}, {{1.0F, 2.0F}}, 2, "x.sdm"), files),
               IOError);
  EXPECT_FALSE(files.contents("x.csv").has_value());
}

TEST(CorrelationTableTest, ReplacesAnExistingFileOnDisk) {
  testing::TempDir dir;
  testing::writeText(dir.file("run1.csv"), "old contents that are longer than the new ones\n");
  writeCorrelationTable(makeDesign({"A"}, {{1.0F, 2.0F}}, 2, dir.file("run1.sdm")));
  EXPECT_EQ(testing::readText(dir.file("run1.csv")), " ; A\nA ; 1.00\n");
}

}  // namespace
}  // namespace duv
