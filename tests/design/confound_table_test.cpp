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
      // Separated by commas: told at the header, whatever the rows hold.
      {"a,b\n1,2\n",
       "bad.tsv, line 1: the columns are separated by commas; a .tsv confound table separates "
       "them by tabs"},
      {"\xEF\xBB\xBFtrans_x, trans_y\r\n",
       "bad.tsv, line 1: the columns are separated by commas; a .tsv confound table separates "
       "them by tabs"},
      // A tab makes it a table of tabs, whose names may hold commas.
      {"a,b\tc\n1\t2,5\n",
       "invalid stof argument: bad.tsv, line 2, column c: \"2,5\" is not a number"},
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
      // Not leading, whatever the column.
      {"csf\tdvars\n1\tn/a\nn/a\t2\n", 0, "t.tsv, line 3, column csf: n/a"},
      {"std_dvars\nn/a\n1\nn/a\n", 0, "t.tsv, line 4, column std_dvars: n/a"},
      {"rmsd\n0.1\nn/a\n", 0, "t.tsv, line 3, column rmsd: n/a"},
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

TEST(ConfoundTableTest, LeadingNotAvailableBecomesZeroInEveryKindOfColumn) {
  struct Case {
    const char* text;
    std::size_t skip;
    std::vector<float> values;
    bool zeroed;
  };
  const Case cases[] = {
      // Differences, the measures pipelines start later, and any other column alike.
      {"x_derivative1\nn/a\n1\n", 0, {0, 1}, true},
      {"framewise_displacement\nn/a\n0.5\n", 0, {0, 0.5F}, true},
      {"dvars\nn/a\n20\n", 0, {0, 20}, true},
      {"std_dvars\nn/a\n1.5\n", 0, {0, 1.5F}, true},
      {"rmsd\nn/a\nn/a\n0.25\n", 0, {0, 0, 0.25F}, true},
      {"global_signal\nn/a\n1\n", 0, {0, 1}, true},
      {"trans_x\nn/a\n0.1\n", 0, {0, 0.1F}, true},
      // A column without a number: all its cells are leading.
      {"csf\nn/a\nn/a\n", 0, {0, 0}, true},
      // Rows skipped first are gone: what leads is what remains.
      {"std_dvars\nn/a\n1.5\n2\n", 1, {1.5F, 2}, false},
      {"std_dvars\nn/a\nn/a\n2\n", 1, {0, 2}, true},
      {"csf\n1\n2\n", 0, {1, 2}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto table = readConfoundTable(c.text, "t.tsv");
    skipRows(table, c.skip);
    const auto zeroed = zeroLeadingNotAvailable(table, {0});
    EXPECT_EQ(zeroed.size(), c.zeroed ? 1U : 0U);
    EXPECT_EQ(column(table, 0), c.values);
  }
}

TEST(ConfoundTableTest, TheHeaderAloneGivesTheNamesAndItsErrors) {
  EXPECT_EQ(readConfoundTableHeader("a\tb\n1\tx\n", "t.tsv"), (std::vector<std::string>{"a", "b"}));
  expectError<std::runtime_error>([] { readConfoundTableHeader("a\ta\n", "t.tsv"); },
                                  "t.tsv, line 1: column \"a\" is named twice (columns 1 and 2)");
  expectError<std::runtime_error>([] { readConfoundTableHeader("", "t.tsv"); },
                                  "t.tsv: the file is empty");
}

TEST(ConfoundTableTest, AnExactColumnKeepsTheFilesDecimalsThroughSkippedRows) {
  auto table = readConfoundTable("a\tfd\n1\tn/a\n2\t0.50000001\n3\t0.25\n4\t1\n", "t.tsv", "fd");
  skipRows(table, 1, 1);
  ASSERT_EQ(table.exactValues.size(), 2U);
  EXPECT_EQ(table.exactValues[0], 0.50000001);
  EXPECT_EQ(table.columns[1][0], 0.5F);  // single precision rounds it to 0.5
  EXPECT_EQ(table.exactValues[1], 0.25);
  EXPECT_TRUE(readConfoundTable("a\n1\n", "t.tsv", "fd").exactValues.empty());
}

TEST(ConfoundTableTest, SkippingTheRowsWithoutValueLeavesNothingToSetOrLog) {
  auto table = readConfoundTable(kTable, "t.tsv");
  skipRows(table, 1);
  EXPECT_TRUE(zeroLeadingNotAvailable(table, {1, 2, 3}).empty());
  EXPECT_EQ(column(table, 1), (std::vector<float>{0.2F, -0.1F}));
}

}  // namespace
}  // namespace duv
