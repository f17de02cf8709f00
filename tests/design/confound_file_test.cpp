#include "design/confound_file.h"

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

const char* const kTable =
    "csf\ttrans_x\ttrans_x_derivative1\tframewise_displacement\tcosine00\n"
    "830.5\t0.1\tn/a\tn/a\t0.5\n"
    "831\t0.3\t0.2\t0.25\t0.25\n"
    "829.25\t0.2\t-0.1\t0.125\t-0.25\n";

ConfoundOptions choosing(const std::vector<std::string>& texts) {
  ConfoundOptions options;
  for (const auto& text : texts) options.selection.push_back(parseConfoundSelector(text));
  return options;
}

TEST(ConfoundFileTest, KindsAreToldByTheExactExtension) {
  for (const char* path : {"a.tsv", "d.x/a.tsv"}) EXPECT_TRUE(isConfoundTable(path)) << path;
  for (const char* path : {"a.txt", "a.par", "a.1D"}) EXPECT_TRUE(isMotionText(path)) << path;
  for (const char* path : {"a.TSV", "a.1d", "a.PAR", "a.sdm", "a.rtc", "tsv", "a.tsv\r"}) {
    EXPECT_FALSE(isConfoundFile(path)) << path;
  }
}

TEST(ConfoundFileTest, ATableBecomesAMatrixOfItsChosenColumnsAllConfounds) {
  const auto input = readConfounds(kTable, "d/run1.tsv", choosing({"trans_x*", "csf"}));
  const auto& m = input.matrix;
  EXPECT_EQ(m.fileName, "d/run1.sdm");
  EXPECT_EQ(m.nrOfPredictors.value, 3);
  EXPECT_EQ(m.nrOfDataPoints.value, 3);
  EXPECT_EQ(m.firstConfoundPredictor.value, 1);
  EXPECT_FALSE(m.includesConstant.value);
  EXPECT_EQ(m.fileVersion.value, 1);
  EXPECT_EQ(m.nrOfPredictors.width, 24);
  EXPECT_EQ(m.predictorNames, (std::vector<std::string>{"trans_x", "trans_x_derivative1", "csf"}));
  EXPECT_EQ(m.colorRed, (std::vector<std::int32_t>{255, 255, 255}));
  EXPECT_EQ(m.colorGreen, (std::vector<std::int32_t>{255, 255, 255}));
  EXPECT_EQ(m.colorBlue, (std::vector<std::int32_t>{255, 255, 255}));
  EXPECT_EQ(m.values, (std::vector<std::vector<float>>{
                          {0.1F, 0.3F, 0.2F}, {0.0F, 0.2F, -0.1F}, {830.5F, 831.0F, 829.25F}}));
  EXPECT_EQ(input.zeroedColumns, (std::vector<std::string>{"trans_x_derivative1"}));
}

TEST(ConfoundFileTest, NotAvailableInColumnsNotChosenIsNeverLookedAt) {
  const auto input = readConfounds("a\tb\n1\tn/a\n2\tn/a\n", "t.tsv", choosing({"a"}));
  EXPECT_EQ(input.matrix.values, (std::vector<std::vector<float>>{{1, 2}}));
  EXPECT_TRUE(input.zeroedColumns.empty());
}

TEST(ConfoundFileTest, SkippedVolumesGoBeforeTheNotAvailableRule) {
  auto options = choosing({"framewise_displacement", "cosine"});
  options.skipVolumes = 1;
  const auto input = readConfounds(kTable, "t.tsv", options);
  EXPECT_EQ(input.matrix.nrOfDataPoints.value, 2);
  EXPECT_EQ(input.matrix.values,
            (std::vector<std::vector<float>>{{0.25F, 0.125F}, {0.25F, -0.25F}}));
  EXPECT_TRUE(input.zeroedColumns.empty());
}

TEST(ConfoundFileTest, ASelectionThatFindsNothingGivesAMatrixWithoutPredictors) {
  const auto input = readConfounds(kTable, "t.tsv", choosing({"outliers"}));
  EXPECT_EQ(input.matrix.nrOfPredictors.value, 0);
  EXPECT_EQ(input.matrix.nrOfDataPoints.value, 3);
  EXPECT_TRUE(input.matrix.values.empty());
}

TEST(ConfoundFileTest, ATextFileIsTakenWholeSkippedThenExpanded) {
  ConfoundOptions options = choosing({"csf"});  // tables only
  options.skipVolumes = 1;
  options.derivatives = true;
  options.squares = true;
  const auto input = readConfounds("# rp\n9 9\n1 2\n3 5\n", "x/rp_run1.par", options);
  const auto& m = input.matrix;
  EXPECT_EQ(m.fileName, "x/rp_run1.sdm");
  EXPECT_EQ(m.nrOfDataPoints.value, 2);
  EXPECT_EQ(m.firstConfoundPredictor.value, 1);
  EXPECT_EQ(m.predictorNames, (std::vector<std::string>{
                                  "rp_run1_1", "rp_run1_2", "rp_run1_1_derivative1",
                                  "rp_run1_2_derivative1", "rp_run1_1_power2", "rp_run1_2_power2",
                                  "rp_run1_1_derivative1_power2", "rp_run1_2_derivative1_power2"}));
  EXPECT_EQ(m.values, (std::vector<std::vector<float>>{
                          {1, 3}, {2, 5}, {0, 2}, {0, 3}, {1, 9}, {4, 25}, {0, 4}, {0, 9}}));
  EXPECT_EQ(m.colorRed.size(), 8U);
  EXPECT_TRUE(input.zeroedColumns.empty());
}

TEST(ConfoundFileTest, ErrorsOfEveryStepNameTheFile) {
  auto tooMany = choosing({"csf"});
  tooMany.skipVolumes = 3;
  expectError<std::runtime_error>([&] { readConfounds(kTable, "t.tsv", tooMany); },
                                  "t.tsv: skipping 3 volumes leaves none of its 3 rows");
  expectError<std::runtime_error>([&] { readConfounds("1\n", "m.txt", tooMany); },
                                  "m.txt: skipping 3 volumes leaves none of its 1 rows");
  expectError<std::runtime_error>(
      [&] {
        readConfounds("csf\tcsf_power2\n1\tn/a\n1\t2\n1\tn/a\n", "t.tsv", choosing({"csf*"}));
      },
      "t.tsv, line 4, column csf_power2: n/a");
  expectError<std::invalid_argument>([&] { readConfounds("1\n", "m.sdm", {}); },
                                     "m.sdm is neither a confound table nor a motion text file");
}

TEST(ConfoundFileTest, OutliersPresetLeavesOutEmptyAndRepeatedColumnsAndSaysWhich) {
  // Volume 1 is flagged both as non-steady and as a motion outlier; volume 3 by the motion
  // outliers alone; motion_outlier02 flags nothing (all zero) and motion_outlier03 repeats
  // motion_outlier01.
  const std::string table =
      "csf\tnon_steady_state_outlier00\tmotion_outlier00\tmotion_outlier01\tmotion_outlier02\t"
      "motion_outlier03\n"
      "1\t1\t1\t0\t0\t0\n"
      "2\t0\t0\t0\t0\t0\n"
      "4\t0\t0\t1\t0\t1\n"
      "3\t0\t0\t0\t0\t0\n";
  struct Case {
    std::vector<std::string> selection;
    std::vector<std::string> names;
    std::vector<std::string> leftOut;  // "<name> (<reason>)"
  };
  const Case cases[] = {
      {{"outliers"},
       {"non_steady_state_outlier00", "motion_outlier01"},
       {"motion_outlier00 (repeats non_steady_state_outlier00)", "motion_outlier02 (all zero)",
        "motion_outlier03 (repeats motion_outlier01)"}},
      // A column another selector names stays, even when it repeats one or is all zero; the
      // outliers' own copy of it goes, wherever that stands.
      {{"outliers", "motion_outlier00", "motion_outlier02"},
       {"motion_outlier00", "motion_outlier01", "motion_outlier02"},
       {"non_steady_state_outlier00 (repeats motion_outlier00)",
        "motion_outlier03 (repeats motion_outlier01)"}},
      {{"motion_outlier03", "outliers"},
       {"motion_outlier03", "non_steady_state_outlier00"},
       {"motion_outlier00 (repeats non_steady_state_outlier00)",
        "motion_outlier01 (repeats motion_outlier03)", "motion_outlier02 (all zero)"}},
      // Without the preset nothing is left out.
      {{"motion_outlier*"},
       {"motion_outlier00", "motion_outlier01", "motion_outlier02", "motion_outlier03"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.selection));
    const auto input = readConfounds(table, "t.tsv", choosing(c.selection));
    EXPECT_EQ(input.matrix.predictorNames, c.names);
    EXPECT_EQ(input.matrix.nrOfPredictors.value, static_cast<std::int32_t>(c.names.size()));
    EXPECT_EQ(input.matrix.values.size(), c.names.size());
    std::vector<std::string> leftOut;
    for (const auto& column : input.leftOutColumns) {
      leftOut.push_back(column.name + " (" + column.reason + ")");
    }
    EXPECT_EQ(leftOut, c.leftOut);
  }
}

TEST(ConfoundFileTest, LeadingAndTrailingRowsAreDroppedFromTablesAndTextFiles) {
  struct Case {
    const char* path;
    const char* text;
    std::size_t first;
    std::size_t last;
    std::vector<float> values;  // of the first column
  };
  const Case cases[] = {
      {"t.tsv", "csf\n1\n2\n3\n4\n", 0, 1, {1, 2, 3}},
      {"t.tsv", "csf\n1\n2\n3\n4\n", 1, 2, {2}},
      {"m.par", "1\n2\n3\n4\n", 2, 1, {3}},
      {"m.par", "1\n2\n3\n4\n", 0, 0, {1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.first) + "/" +
                 std::to_string(c.last));
    auto options = choosing({"csf"});
    options.skipVolumes = c.first;
    options.skipLastVolumes = c.last;
    const auto input = readConfounds(c.text, c.path, options);
    EXPECT_EQ(input.matrix.values.front(), c.values);
    EXPECT_EQ(input.matrix.nrOfDataPoints.value, static_cast<std::int32_t>(c.values.size()));
  }
  const struct {
    std::size_t first;
    std::size_t last;
    const char* message;
  } none[] = {
      {0, 4, "t.tsv: skipping the last 4 volumes leaves none of its 4 rows"},
      {1, 3, "t.tsv: skipping 1 first and 3 last volumes leaves none of its 4 rows"},
      {4, 0, "t.tsv: skipping 4 volumes leaves none of its 4 rows"},
      {5, 1, "t.tsv: skipping 5 first and 1 last volumes leaves none of its 4 rows"},
  };
  for (const auto& c : none) {
    auto options = choosing({"csf"});
    options.skipVolumes = c.first;
    options.skipLastVolumes = c.last;
    expectError<std::runtime_error>([&] { readConfounds("csf\n1\n2\n3\n4\n", "t.tsv", options); },
                                    c.message);
  }
}

TEST(ConfoundFileTest, FilesAreReadThroughTheFileSystem) {
  testing::MemoryFileSystem files;
  files.files["t.tsv"] = kTable;
  EXPECT_EQ(readConfoundFile("t.tsv", choosing({"csf"}), files).matrix.values,
            (std::vector<std::vector<float>>{{830.5F, 831.0F, 829.25F}}));
  expectError<OpenFileError>([&] { readConfoundFile("none.par", {}, files); },
                             "Failed opening for reading: none.par");
}

}  // namespace
}  // namespace duv
