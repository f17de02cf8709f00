#include "design/motion_text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "design/errors.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"

namespace duv {
namespace {

using testing::expectError;

TEST(MotionTextTest, ColumnsAreNamedAfterTheFile) {
  const auto table = readMotionText("0.1  -0.2\t3e-4  \n1 2 3\n", "C:\\data/rp_run1.txt");
  EXPECT_EQ(table.fileName, "C:\\data/rp_run1.txt");
  EXPECT_EQ(table.names, (std::vector<std::string>{"rp_run1_1", "rp_run1_2", "rp_run1_3"}));
  EXPECT_EQ(table.rows, 2U);
  EXPECT_EQ(table.columns,
            (std::vector<std::vector<float>>{{0.1F, 1.0F}, {-0.2F, 2.0F}, {3e-4F, 3.0F}}));
}

TEST(MotionTextTest, CommentAndBlankLinesAreNotRows) {
  const auto table = readMotionText(
      "# motion parameters\n  # indented comment\n\n1 2\r\n   \n#2 3 4\n3 4", "m.1D");
  EXPECT_EQ(table.names, (std::vector<std::string>{"m_1", "m_2"}));
  EXPECT_EQ(table.columns, (std::vector<std::vector<float>>{{1, 3}, {2, 4}}));
}

TEST(MotionTextTest, MalformedFilesAreErrorsNamingFileAndLine) {
  struct Case {
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"", "mc.par: the file holds no rows of values"},
      {"# only a comment\n\n", "mc.par: the file holds no rows of values"},
      {"1 2 3\n4 5\n", "mc.par, line 2: expected 3 values, found 2"},
      {"# x\n1 2\n\n4 5 6\n", "mc.par, line 4: expected 2 values, found 3"},
      {"1 2\n3 x\n", "invalid stof argument: mc.par, line 2, column mc_2: \"x\" is not a number"},
      {"1 2 # motion\n",
       "invalid stof argument: mc.par, line 1, column mc_3: \"#\" is not a number"},
      {"1,5 2\n", "invalid stof argument: mc.par, line 1, column mc_1: \"1,5\" is not a number"},
      {"1 nan\n", "invalid stof argument: mc.par, line 1, column mc_2: \"nan\" is not a number"},
      {"1\nn/a\n", "mc.par, line 2, column mc_1: n/a"},
      {"1e400 2\n", "stof argument out of range: mc.par, line 1, column mc_1: 1e400"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      readMotionText(c.text, "mc.par");
      ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
}

TEST(MotionTextTest, AFileNameWithADoubleQuoteCannotNameItsColumns) {
  expectError<std::runtime_error>(
      [] { readMotionText("1\n", "a\"b.txt"); },
      "a\"b.txt: the file name holds a double quote, which design-matrix names cannot hold");
}

TEST(MotionTextTest, MoreValuesInARowThanTheLimitAreRefused) {
  std::string row;
  for (int k = 0; k <= 100000; ++k) row += "0 ";
  expectError<std::runtime_error>([&] { readMotionText(row, "wide.txt"); },
                                  "wide.txt, line 1: 100001 values, more than the limit of 100000");
}

TEST(MotionTextTest, TruncationAtEveryLengthReadsOrFailsNamingTheFile) {
  const std::string whole = "# rp\n0.01 -0.02 0.5\n0.02 -0.01 0.25\n";
  for (std::size_t length = 0; length < whole.size(); ++length) {
    try {
      const auto table = readMotionText(whole.substr(0, length), "cut.txt");
      EXPECT_EQ(table.columns.size(), table.names.size());
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find("cut.txt"), std::string::npos) << error.what();
    }
  }
}

TEST(MotionTextTest, OpeningFailureNamesThePath) {
  testing::MemoryFileSystem files;
  expectError<OpenFileError>([&] { readMotionTextFile("none.par", files); },
                             "Failed opening for reading: none.par");
}

}  // namespace
}  // namespace duv
