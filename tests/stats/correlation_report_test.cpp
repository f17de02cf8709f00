#include "stats/correlation_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "design/errors.h"
#include "tests/support/design_builder.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

using testing::makeDesign;
using testing::MemoryFileSystem;
using Column = std::vector<float>;

const Column kOnes8(8, 1.0F);
const Column kP1{1.0F, 3.0F, 2.0F, 5.0F, 4.0F, 6.0F, 8.0F, 7.0F};
const Column kP2{2.0F, 1.0F, 4.0F, 3.0F, 6.0F, 5.0F, 5.0F, 9.0F};
const Column kP3{0.0F, 1.0F, 0.0F, 1.0F, 1.0F, 0.0F, 0.0F, 1.0F};
const Column kM1{0.5F, -1.0F, 0.25F, 2.0F, -0.5F, 1.0F, 0.0F, 1.5F};
const Column kM2{3.0F, 1.0F, 2.0F, 0.0F, 1.0F, 2.0F, 4.0F, 1.0F};

const char kMainTitle[] = "Top 10 correlations between main predictors:\n";
const char kMixedTitle[] = "\n\nTop 10 correlations between main predictors and confounds:\n";
const char kConfoundTitle[] = "\n\nTop 10 correlations between confounds:\n";
const char kRSquaredTitle[] =
    "\n\nR2 value for Multicollinearity, how much is a single predictor explained by other "
    "predictors: \n";

std::string reportOf(const DesignMatrix& matrix) {
  std::ostringstream out;
  writeCorrelationReport(matrix, out);
  return out.str();
}

// R² of y fitted on the columns of x by least squares, in double precision (normal equations,
// Gauss-Jordan elimination with partial pivoting).
double leastSquaresRSquared(const Column& y, const std::vector<Column>& x) {
  const std::size_t q = x.size();
  const std::size_t n = y.size();
  std::vector<std::vector<double>> system(q, std::vector<double>(q + 1, 0.0));
  for (std::size_t i = 0; i < q; ++i) {
    for (std::size_t t = 0; t < n; ++t) {
      for (std::size_t j = 0; j < q; ++j) {
        system[i][j] += static_cast<double>(x[i][t]) * static_cast<double>(x[j][t]);
      }
      system[i][q] += static_cast<double>(x[i][t]) * static_cast<double>(y[t]);
    }
  }
  for (std::size_t c = 0; c < q; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < q; ++r) {
      if (std::abs(system[r][c]) > std::abs(system[pivot][c])) pivot = r;
    }
    std::swap(system[c], system[pivot]);
    for (std::size_t r = 0; r < q; ++r) {
      if (r == c) continue;
      const double factor = system[r][c] / system[c][c];
      for (std::size_t k = c; k <= q; ++k) system[r][k] -= factor * system[c][k];
    }
  }
  double mean = 0.0;
  for (const float v : y) mean += static_cast<double>(v);
  mean /= static_cast<double>(n);
  double residual = 0.0;
  double total = 0.0;
  for (std::size_t t = 0; t < n; ++t) {
    double fit = 0.0;
    for (std::size_t i = 0; i < q; ++i) {
      fit += system[i][q] / system[i][i] * static_cast<double>(x[i][t]);
    }
    residual += (static_cast<double>(y[t]) - fit) * (static_cast<double>(y[t]) - fit);
    total += (static_cast<double>(y[t]) - mean) * (static_cast<double>(y[t]) - mean);
  }
  return 1.0 - residual / total;
}

// Every predictor but `target` (and, with `dropped`, but that one too), for the reference fit.
std::vector<Column> otherColumns(const std::vector<Column>& columns, std::size_t target,
                                 std::size_t dropped = static_cast<std::size_t>(-1)) {
  std::vector<Column> others;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c != target && c != dropped) others.push_back(columns[c]);
  }
  return others;
}

TEST(CorrelationReportTest, ListsMainPredictorsConfoundsAndRSquared) {
  const auto matrix =
      makeDesign({"P1", "P2", "M1", "M2", "Constant"}, {kP1, kP2, kM1, kM2, kOnes8}, 3);
  EXPECT_EQ(reportOf(matrix),
            "Top 10 correlations between main predictors:\n"
            "0.64 between  P1   and   P2\n"
            "\n"
            "\n"
            "Top 10 correlations between main predictors and confounds:\n"
            "0.35 between  P2   and   M1\n"
            "0.33 between  P1   and   M1\n"
            "0.09 between  P1   and   M2\n"
            "0.06 between  P2   and   M2\n"
            "\n"
            "\n"
            "Top 10 correlations between confounds:\n"
            "0.28 between  M1   and   M2\n"
            "\n"
            "\n"
            "R2 value for Multicollinearity, how much is a single predictor explained by other "
            "predictors: \n"
            "0.45 for \"P1\" which has the 3 highest correlations with: \n"
            "   P2: 0.64   M1: 0.33   M2: 0.09\n"
            "\n"
            "0.44 for \"P2\" which has the 3 highest correlations with: \n"
            "   P1: 0.64   M1: 0.35   M2: 0.06\n"
            "\n"
            "0.22 for \"M1\" which has the 3 highest correlations with: \n"
            "   P2: 0.35   P1: 0.33   M2: 0.28\n"
            "\n"
            "0.13 for \"M2\" which has the 3 highest correlations with: \n"
            "   M1: 0.28   P1: 0.09   P2: 0.06\n"
            "\n");
}

TEST(CorrelationReportTest, NonConstantLastPredictorIsListedAndIsAPartner) {
  // All confounds, as from a time-course file; no constant, so an intercept is fitted.
  const auto matrix = makeDesign({"A", "B", "C"},
                                 {{1.0F, 2.0F, 4.0F, 3.0F, 5.0F},
                                  {2.0F, 2.0F, 3.0F, 5.0F, 4.0F},
                                  {0.0F, 1.0F, 0.0F, 2.0F, 1.0F}},
                                 1);
  EXPECT_EQ(reportOf(matrix),
            "Top 10 correlations between main predictors:\n"
            "\n"
            "\n"
            "Top 10 correlations between main predictors and confounds:\n"
            "\n"
            "\n"
            "Top 10 correlations between confounds:\n"
            "0.73 between  B   and   C\n"
            "0.61 between  A   and   B\n"
            "0.19 between  A   and   C\n"
            "\n"
            "\n"
            "R2 value for Multicollinearity, how much is a single predictor explained by other "
            "predictors: \n"
            "0.76 for \"B\" which has the 3 highest correlations with: \n"
            "   C: 0.73   A: 0.61\n"
            "\n"
            "0.64 for \"C\" which has the 3 highest correlations with: \n"
            "   B: 0.73   A: 0.19\n"
            "\n"
            "0.51 for \"A\" which has the 3 highest correlations with: \n"
            "   B: 0.61   C: 0.19\n"
            "\n");
}

const char kMainOnlyReport[] =
    "Top 10 correlations between main predictors:\n"
    "0.64 between  P1   and   P2\n"
    "0.16 between  P2   and   P3\n"
    "0.11 between  P1   and   P3\n"
    "\n"
    "\n"
    "Top 10 correlations between main predictors and confounds:\n"
    "\n"
    "\n"
    "Top 10 correlations between confounds:\n"
    "\n"
    "\n"
    "R2 value for Multicollinearity, how much is a single predictor explained by other "
    "predictors: \n"
    "0.42 for \"P2\" which has the 3 highest correlations with: \n"
    "   P1: 0.64   P3: 0.16\n"
    "\n"
    "0.41 for \"P1\" which has the 3 highest correlations with: \n"
    "   P2: 0.64   P3: 0.11\n"
    "\n"
    "0.03 for \"P3\" which has the 3 highest correlations with: \n"
    "   P2: 0.16   P1: 0.11\n"
    "\n";

TEST(CorrelationReportTest, ConstantAsTheOnlyConfoundLeavesOnlyTheMainList) {
  const auto matrix = makeDesign({"P1", "P2", "P3", "Constant"}, {kP1, kP2, kP3, kOnes8}, 4);
  EXPECT_EQ(reportOf(matrix), kMainOnlyReport);
}

TEST(CorrelationReportTest, WithoutConfoundsTheConstantEntersTheMainList) {
  const auto matrix = makeDesign({"P1", "P2", "P3", "Constant"}, {kP1, kP2, kP3, kOnes8}, 5);
  const std::string report = reportOf(matrix);
  EXPECT_EQ(report.substr(0, report.find(kMixedTitle)),
            "Top 10 correlations between main predictors:\n"
            "0.64 between  P1   and   P2\n"
            "0.16 between  P2   and   P3\n"
            "0.11 between  P1   and   P3\n"
            "0.00 between  P1   and   Constant\n"
            "0.00 between  P2   and   Constant\n"
            "0.00 between  P3   and   Constant\n");
  // The constant is no partner and has no R² line, whatever the lists hold.
  EXPECT_EQ(report.substr(report.find(kRSquaredTitle)),
            std::string(kMainOnlyReport).substr(std::string(kMainOnlyReport).find(kRSquaredTitle)));
}

TEST(CorrelationReportTest, FirstConfoundOutsideItsRangeCountsAsTheNearerEnd) {
  const std::vector<std::string> names{"P1", "P2", "P3", "Constant"};
  const std::vector<Column> columns{kP1, kP2, kP3, kOnes8};
  EXPECT_EQ(reportOf(makeDesign(names, columns, 0)), reportOf(makeDesign(names, columns, 1)));
  EXPECT_EQ(reportOf(makeDesign(names, columns, -7)), reportOf(makeDesign(names, columns, 1)));
  EXPECT_EQ(reportOf(makeDesign(names, columns, 9)), reportOf(makeDesign(names, columns, 5)));
}

TEST(CorrelationReportTest, NoDataPointsGivesListsAndAnEmptyRSquaredSection) {
  const auto matrix = makeDesign({"A", "B", "C"}, {{}, {}, {}}, 2);
  EXPECT_EQ(reportOf(matrix), std::string(kMainTitle) + kMixedTitle +
                                  "0.00 between  A   and   B\n"
                                  "0.00 between  A   and   C\n" +
                                  kConfoundTitle + "0.00 between  B   and   C\n" + kRSquaredTitle);
}

TEST(CorrelationReportTest, NoPredictorsGivesTitlesOnly) {
  EXPECT_EQ(reportOf(makeDesign({}, {}, 1)),
            std::string(kMainTitle) + kMixedTitle + kConfoundTitle + kRSquaredTitle);
}

TEST(CorrelationReportTest, ListsStopAtTenPairs) {
  std::vector<std::string> names;
  std::vector<Column> columns;
  for (int p = 0; p < 6; ++p) {
    names.push_back("P" + std::to_string(p));
    Column column;
    for (int t = 0; t < 8; ++t) column.push_back(static_cast<float>((t * (p + 2)) % 7));
    columns.push_back(column);
  }
  const std::string report = reportOf(makeDesign(names, columns, 7));
  const std::string mainSection = report.substr(0, report.find(kMixedTitle));
  EXPECT_EQ(std::count(mainSection.begin(), mainSection.end(), '\n'), 11);
}

TEST(RSquaredTest, AgreesWithDoublePrecisionLeastSquares) {
  const Column a{1.0F, 3.0F, 2.0F, 5.0F, 4.0F, 6.0F, 8.0F, 7.0F, 9.0F, 4.0F, 2.0F, 6.0F};
  const Column b{2.0F, 1.0F, 4.0F, 3.0F, 6.0F, 5.0F, 5.0F, 9.0F, 7.0F, 3.0F, 1.0F, 8.0F};
  const Column c{0.5F, -1.0F, 0.2F, 2.0F, -0.5F, 1.0F, 0.0F, 1.5F, -2.0F, 0.3F, 1.1F, -0.7F};
  const Column d{3.0F, 1.0F, 2.0F, 0.0F, 1.0F, 2.0F, 4.0F, 1.0F, 0.0F, 2.0F, 3.0F, 5.0F};
  const Column ones(12, 1.0F);
  struct Case {
    const char* what;
    std::vector<Column> columns;  // the last one is the intercept the fits use
    bool interceptIsAPredictor;
  };
  const Case cases[] = {
      {"constant last predictor", {a, b, c, d, ones}, true},
      {"intercept added", {a, b, c, d, ones}, false},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.what);
    auto predictors = testCase.columns;
    if (!testCase.interceptIsAPredictor) predictors.pop_back();
    const std::vector<std::string> names(predictors.size(), "x");
    const auto entries = rSquaredValues(makeDesign(names, predictors, 3));
    ASSERT_EQ(entries.size(), 4U);
    for (std::size_t k = 0; k < entries.size(); ++k) {
      SCOPED_TRACE(k);
      EXPECT_EQ(entries[k].position, static_cast<std::int32_t>(k));
      const double expected =
          leastSquaresRSquared(testCase.columns[k], otherColumns(testCase.columns, k));
      EXPECT_NEAR(static_cast<double>(entries[k].value), expected, 0.01);
    }
  }
}

TEST(RSquaredTest, PredictorThatAppearsTwiceIsExplainedCompletely) {
  const auto matrix =
      makeDesign({"P1", "P2", "P1 again", "M1", "Constant"}, {kP1, kP2, kP1, kM1, kOnes8}, 4);
  const auto entries = rSquaredValues(matrix);
  ASSERT_EQ(entries.size(), 4U);
  EXPECT_NEAR(entries[0].value, 1.0F, 0.001F);
  EXPECT_NEAR(entries[2].value, 1.0F, 0.001F);
  // The others are fitted as if the repeat were not there.
  const std::vector<Column> columns{kP1, kP2, kP1, kM1, kOnes8};
  for (const std::size_t k : {1U, 3U}) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(static_cast<double>(entries[k].value),
                leastSquaresRSquared(columns[k], otherColumns(columns, k, 2)), 0.01);
  }
  const std::string report = reportOf(matrix);
  EXPECT_NE(report.find("1.00 for \"P1\""), std::string::npos) << report;
  EXPECT_NE(report.find("1.00 for \"P1 again\""), std::string::npos) << report;
}

TEST(RSquaredTest, EqualValuesGoByTheHigherPositionFirst) {
  const auto matrix = makeDesign({"A", "A2", "B", "Constant"}, {kP1, kP1, kP2, kOnes8}, 4);
  const auto entries = rSquaredValues(matrix);
  ASSERT_EQ(entries.size(), 3U);
  ASSERT_EQ(entries[0].value, entries[1].value);
  const std::string report = reportOf(matrix);
  EXPECT_LT(report.find("for \"A2\""), report.find("for \"A\"")) << report;
}

TEST(RSquaredTest, NotANumberSortsAfterEveryNumberAndIsWrittenWithoutSign) {
  // Columns of zeros have no variance to explain: their R² is 0 / 0.
  const Column zeros(8, 0.0F);
  const auto matrix =
      makeDesign({"A", "Z1", "Z2", "B", "Constant"}, {kP1, zeros, zeros, kP2, kOnes8}, 5);
  const auto entries = rSquaredValues(matrix);
  ASSERT_EQ(entries.size(), 4U);
  ASSERT_TRUE(std::isnan(entries[1].value));
  ASSERT_TRUE(std::isnan(entries[2].value));
  const std::string report = reportOf(matrix);
  const auto z1 = report.find("nan for \"Z1\"");
  const auto z2 = report.find("nan for \"Z2\"");
  ASSERT_NE(z1, std::string::npos) << report;
  ASSERT_NE(z2, std::string::npos) << report;
  EXPECT_LT(report.find("for \"A\""), z2);
  EXPECT_LT(report.find("for \"B\""), z2);
  EXPECT_LT(z2, z1);
}

TEST(RegressorMatrixTest, InterceptIsAddedOnlyWithoutAConstantLastPredictor) {
  const auto withConstant =
      buildRegressorMatrix(makeDesign({"A", "K"}, {{1.0F, 2.0F, 3.0F}, {2.0F, 2.0F, 2.0F}}, 2));
  EXPECT_EQ(withConstant.rows(), 3);
  EXPECT_EQ(withConstant.cols(), 2);
  EXPECT_EQ(withConstant(2, 0), 3.0F);
  EXPECT_EQ(withConstant(2, 1), 2.0F);

  const auto withoutConstant =
      buildRegressorMatrix(makeDesign({"A", "B"}, {{1.0F, 2.0F, 3.0F}, {0.0F, 2.0F, 2.0F}}, 2));
  EXPECT_EQ(withoutConstant.cols(), 3);
  EXPECT_EQ(withoutConstant(0, 1), 0.0F);
  for (std::int32_t r = 0; r < 3; ++r) EXPECT_EQ(withoutConstant(r, 2), 1.0F);
}

// A not-a-number in a regressor keeps the decomposition from converging. It also shows how the
// lists order it: after every number, equal ones in their order of generation.
DesignMatrix matrixThatCannotBeInverted() {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  return makeDesign({"A", "B", "C", "D", "Constant"},
                    {{1.0F, 2.0F, 3.0F, 4.0F, 5.0F, 6.0F},
                     {2.0F, 1.0F, 4.0F, 3.0F, 6.0F, 5.0F},
                     {1.0F, nan, 0.0F, 2.0F, 1.0F, 3.0F},
                     {0.0F, 1.0F, 1.0F, 0.0F, 2.0F, 3.0F},
                     Column(6, 1.0F)},
                    2, "x.sdm");
}

const char kListsOfMatrixThatCannotBeInverted[] =
    "Top 10 correlations between main predictors:\n"
    "\n"
    "\n"
    "Top 10 correlations between main predictors and confounds:\n"
    "0.83 between  A   and   B\n"
    "0.78 between  A   and   D\n"
    "nan between  A   and   C\n"
    "\n"
    "\n"
    "Top 10 correlations between confounds:\n"
    "0.69 between  B   and   D\n"
    "nan between  B   and   C\n"
    "nan between  C   and   D\n";

TEST(CorrelationReportTest, FailedInversionLeavesTheListSectionsInTheStream) {
  std::ostringstream out;
  EXPECT_THROW(writeCorrelationReport(matrixThatCannotBeInverted(), out), MatrixInversionError);
  EXPECT_EQ(out.str(), kListsOfMatrixThatCannotBeInverted);
}

TEST(CorrelationReportFileTest, FailedInversionCommitsTheListSectionsThenFails) {
  MemoryFileSystem files;
  try {
    writeCorrelationReport(matrixThatCannotBeInverted(), files);
    FAIL() << "expected an exception";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Matrix inversion failed");
  }
  EXPECT_EQ(files.contents("x.txt"), kListsOfMatrixThatCannotBeInverted);
}

TEST(CorrelationReportFileTest, WritesBesideTheMatrix) {
  MemoryFileSystem files;
  const auto matrix = makeDesign({"P1", "P2", "P3", "Constant"}, {kP1, kP2, kP3, kOnes8}, 4,
                                 "D:/study/run1_run2.sdm");
  writeCorrelationReport(matrix, files);
  EXPECT_EQ(files.contents("D:/study/run1_run2.txt"), kMainOnlyReport);
  EXPECT_EQ(files.files.size(), 1U);
}

TEST(CorrelationReportFileTest, UncreatableFileIsAnErrorNamingIt) {
  MemoryFileSystem files;
  files.uncreatable.insert("x.txt");
  try {
    writeCorrelationReport(makeDesign({"A"}, {{1.0F, 2.0F}}, 1, "x.sdm"), files);
    FAIL() << "expected an exception";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot Create file: x.txt");
  }
  EXPECT_TRUE(files.files.empty());
}

TEST(CorrelationReportFileTest, FailedWriteIsAnErrorAndCommitsNothing) {
  for (const std::size_t limit : {0U, 20U, 200U}) {
    SCOPED_TRACE(limit);
    MemoryFileSystem files;
    files.files["x.txt"] = "previous";
    files.writeLimit["x.txt"] = limit;
    const auto matrix =
        makeDesign({"P1", "P2", "P3", "Constant"}, {kP1, kP2, kP3, kOnes8}, 4, "x.sdm");
    try {
      writeCorrelationReport(matrix, files);
      FAIL() << "expected an exception";
    } catch (const IOError& error) {
      EXPECT_EQ(std::string(error.what()), "Failed writing file: x.txt");
    }
    EXPECT_EQ(files.contents("x.txt"), "previous");
  }
}

TEST(CorrelationReportFileTest, FailedWriteBeforeAFailedInversionIsAWriteError) {
  MemoryFileSystem files;
  files.writeLimit["x.txt"] = 10;
  EXPECT_THROW(writeCorrelationReport(matrixThatCannotBeInverted(), files), IOError);
  EXPECT_FALSE(files.contents("x.txt").has_value());
}

}  // namespace
}  // namespace duv
