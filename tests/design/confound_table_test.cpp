#include "design/confound_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "design/errors.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

using testing::expectError;

const char* const kTable =
    "trans_x\ttrans_x_derivative1\tframewise_displacement\tdvars\tcsf\n"
    "0.1\tn/a\tn/a\tn/a\t830.5\n"
    "0.3\t0.2\t0.25\t20.5\t831\n"
    "0.2\t-0.1\t0.125\t19.5\t829.25\n";

std::vector<float> column(const ConfoundTable& table, std::size_t index) {
  return table.columns.at(index);
}

TEST(ConfoundTableTest, ReadsNamesAndColumnsWithNotAvailableHeld) {
  const auto table = readConfoundTable(kTable, "d/run1.tsv");
  EXPECT_EQ(table.fileName, "d/run1.tsv");
  EXPECT_EQ(table.names, (std::vector<std::string>{"trans_x", "trans_x_derivative1",
                                                   "framewise_displacement", "dvars", "csf"}));
  EXPECT_EQ(table.rows, 3U);
  EXPECT_EQ(table.firstDataLine, 2U);
  EXPECT_EQ(column(table, 0), (std::vector<float>{0.1F, 0.3F, 0.2F}));
  EXPECT_EQ(column(table, 4), (std::vector<float>{830.5F, 831.0F, 829.25F}));
  EXPECT_TRUE(std::isnan(table.columns[1][0]));
  EXPECT_EQ(table.columns[1][2], -0.1F);
}

TEST(ConfoundTableTest, CarriageReturnsBlanksAroundCellsByteOrderMarkAndFinalEmptyLinesRead) {
  const auto table = readConfoundTable("\xEF\xBB\xBF a \tb\r\n 1\t2 \r\n3\t4\r\n\r\n\n", "x.tsv");
  EXPECT_EQ(table.names, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(table.columns, (std::vector<std::vector<float>>{{1, 3}, {2, 4}}));
  const auto unterminated = readConfoundTable("a\n1\n2", "x.tsv");
  EXPECT_EQ(unterminated.columns, (std::vector<std::vector<float>>{{1, 2}}));
}

TEST(ConfoundTableTest, MalformedTablesAreErrorsNamingFileAndLine) {
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"", "bad.tsv: the file is empty"},
      {"\xEF\xBB\xBF", "bad.tsv: the file is empty"},
      {"\n1\n", "bad.tsv, line 1: the header row is empty"},
      {"a\tb\n", "bad.tsv: the table has no data rows"},
      {"a\tb", "bad.tsv: the table has no data rows"},
      {"a\tb\n\n\n", "bad.tsv: the table has no data rows"},
      {"a\t\tc\n1\t2\t3\n", "bad.tsv, line 1: column 2 has no name"},
      {"a\tb\t\n1\t2\t3\n", "bad.tsv, line 1: column 3 has no name"},
      {"a\tb\"c\n1\t2\n",
       "bad.tsv, line 1: column 2 name \"b\"c\" holds a double quote, which design-matrix names "
       "cannot hold"},
      {"a\tb\ta\n1\t2\t3\n", "bad.tsv, line 1: column \"a\" is named twice (columns 1 and 3)"},
      {"a\tb\n1\t2\n3\n", "bad.tsv, line 3: expected 2 values, found 1"},
      {"a\tb\n1\t2\t3\n", "bad.tsv, line 2: expected 2 values, found 3"},
      {"a\tb\n1 2\n", "bad.tsv, line 2: expected 2 values, found 1"},
      {"a\tb\n1\t2\n\n3\t4\n", "bad.tsv, line 3: empty line inside the table"},
      {"a\tb\n1\tx\n", "invalid stof argument: bad.tsv, line 2, column b: \"x\" is not a number"},
      {"a\tb\n1\t2\n3\t\n",
       "invalid stof argument: bad.tsv, line 3, column b: \"\" is not a number"},
      {"a\tb\n1\tNaN\n",
       "invalid stof argument: bad.tsv, line 2, column b: \"NaN\" is not a number"},
      {"a\tb\n1e400\t2\n", "stof argument out of range: bad.tsv, line 2, column a: 1e400"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      readConfoundTable(c.text, "bad.tsv");
      ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
}

TEST(ConfoundTableTest, ColumnsBeyondTheDesignMatrixLimitAreRefused) {
  std::string header = "c0";
  for (int c = 1; c <= 100000; ++c) header += "\tc" + std::to_string(c);
  expectError<std::runtime_error>([&] { readConfoundTable(header + "\n", "wide.tsv"); },
                                  "wide.tsv, line 1: more columns than the limit of 100000");
}

TEST(ConfoundTableTest, TruncationAtEveryLengthReadsOrFailsNamingTheFile) {
  const std::string whole = kTable;
  for (std::size_t length = 0; length < whole.size(); ++length) {
    try {
      readConfoundTable(whole.substr(0, length), "cut.tsv");
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find("cut.tsv"), std::string::npos) << error.what();
    }
  }
}

TEST(ConfoundTableTest, OpeningFailureNamesThePath) {
  testing::MemoryFileSystem files;
  expectError<OpenFileError>([&] { readConfoundTableFile("none.tsv", files); },
                             "Failed opening for reading: none.tsv");
  files.files["t.tsv"] = kTable;
  EXPECT_EQ(readConfoundTableFile("t.tsv", files).rows, 3U);
}

TEST(ConfoundTableTest, SkippedRowsAreDroppedAndLinesStillCounted) {
  auto table = readConfoundTable(kTable, "t.tsv");
  skipRows(table, 2);
  EXPECT_EQ(table.rows, 1U);
  EXPECT_EQ(table.firstDataLine, 4U);
  EXPECT_EQ(column(table, 0), (std::vector<float>{0.2F}));
  EXPECT_EQ(column(table, 2), (std::vector<float>{0.125F}));
  expectError<std::runtime_error>([&] { skipRows(table, 1); },
                                  "t.tsv: skipping 1 volumes leaves none of its 1 rows");
}

TEST(ConfoundTableTest, LeadingNotAvailableBecomesZeroOnlyInDifferenceColumns) {
  auto table = readConfoundTable(kTable, "t.tsv");
  const auto zeroed = zeroLeadingNotAvailable(table, {4, 3, 0, 1, 2});
  EXPECT_EQ(zeroed,
            (std::vector<std::string>{"dvars", "trans_x_derivative1", "framewise_displacement"}));
  EXPECT_EQ(column(table, 1), (std::vector<float>{0.0F, 0.2F, -0.1F}));
  EXPECT_EQ(column(table, 2), (std::vector<float>{0.0F, 0.25F, 0.125F}));
  EXPECT_EQ(column(table, 3), (std::vector<float>{0.0F, 20.5F, 19.5F}));
}

TEST(ConfoundTableTest, ColumnsNotChosenAreLeftAlone) {
  auto table = readConfoundTable(kTable, "t.tsv");
  EXPECT_TRUE(zeroLeadingNotAvailable(table, {0, 4}).empty());
  EXPECT_TRUE(std::isnan(table.columns[1][0]));
}

TEST(ConfoundTableTest, NotAvailableAnywhereElseIsAnErrorAtItsLine) {
  struct Case {
    const char* text;
    std::size_t skip;
    const char* message;
  };
  const Case cases[] = {
      // Not a difference column.
      {"csf\tdvars\n1\tn/a\nn/a\t2\n", 0, "t.tsv, line 3, column csf: n/a"},
      {"global_signal\nn/a\n1\n", 0, "t.tsv, line 2, column global_signal: n/a"},
      {"std_dvars\nn/a\n1\n", 0, "t.tsv, line 2, column std_dvars: n/a"},
      {"dvars_x\nn/a\n1\n", 0, "t.tsv, line 2, column dvars_x: n/a"},
      // Not leading.
      {"x_derivative1\nn/a\n1\nn/a\n", 0, "t.tsv, line 4, column x_derivative1: n/a"},
      {"dvars\n1\nn/a\n2\n", 0, "t.tsv, line 3, column dvars: n/a"},
      // Lines are physical lines of the file, also after skipped rows.
      {"csf\n1\n2\nn/a\n", 1, "t.tsv, line 4, column csf: n/a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto table = readConfoundTable(c.text, "t.tsv");
    if (c.skip != 0) skipRows(table, c.skip);
    expectError<std::runtime_error>([&] { zeroLeadingNotAvailable(table, {0}); }, c.message);
  }
}

TEST(ConfoundTableTest, EveryLeadingNotAvailableCellBecomesZero) {
  auto table = readConfoundTable("a_derivative1\nn/a\nn/a\n3\n", "t.tsv");
  EXPECT_EQ(zeroLeadingNotAvailable(table, {0}), (std::vector<std::string>{"a_derivative1"}));
  EXPECT_EQ(column(table, 0), (std::vector<float>{0, 0, 3}));
}

TEST(ConfoundTableTest, SkippingTheRowsWithoutValueLeavesNothingToSetOrLog) {
  auto table = readConfoundTable(kTable, "t.tsv");
  skipRows(table, 1);
  EXPECT_TRUE(zeroLeadingNotAvailable(table, {1, 2, 3}).empty());
  EXPECT_EQ(column(table, 1), (std::vector<float>{0.2F, -0.1F}));
}

}  // namespace
}  // namespace duv
