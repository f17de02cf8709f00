// The tool's confound files of other tools, run as a process on copies of the example study.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "tests/cli/study_copy_test.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;

const char* const kTable = "examples/sub01_desc-confounds_timeseries.tsv";
const char* const kPar = "examples/sub01_bold_mcf.par";

class ConfoundInputsTest : public testing::StudyCopyTest {
 protected:
  // The table's cells as text: row t (from 0) of the column named `name`.
  std::string cell(const std::string& name, std::size_t t) const {
    std::istringstream lines(testing::readText(file(kTable)));
    std::string line;
    std::getline(lines, line);
    const auto index = split(line);
    std::size_t column = 0;
    while (index.at(column) != name) ++column;
    for (std::size_t row = 0; row <= t; ++row) std::getline(lines, line);
    return split(line).at(column);
  }

  static std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string piece; std::getline(in, piece, '\t');) cells.push_back(piece);
    return cells;
  }
};

std::vector<std::string> motion24InTableOrder() {
  std::vector<std::string> names;
  for (const char* base : {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"}) {
    const std::string name = base;
    for (const char* suffix : {"", "_derivative1", "_derivative1_power2", "_power2"}) {
      names.push_back(name + suffix);
    }
  }
  return names;
}

TEST_F(ConfoundInputsTest, MergeAllTakesTheChosenColumnsOfATableInOrderBeforeTheConstant) {
  const auto result =
      run({"merge-all", "--primary", "examples/sub01_task.sdm", kTable, "--confounds", "motion24",
           "--confounds", "acompcor:5", "--allcorr", "--out-dir", "out/"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Start merging process of primary with every secondary sdm\n"
            "Duvendal>  Set leading n/a to 0 in: trans_x_derivative1, trans_x_derivative1_power2, "
            "trans_y_derivative1, trans_y_derivative1_power2, trans_z_derivative1, "
            "trans_z_derivative1_power2, rot_x_derivative1, rot_x_derivative1_power2, "
            "rot_y_derivative1, rot_y_derivative1_power2, rot_z_derivative1, "
            "rot_z_derivative1_power2\n"
            // Squared rotations in radians lose their variation in six decimals.
            "Duvendal>  Scaled rot_x_derivative1_power2 by 1e2: six decimals would distort it (a "
            "rounding error of 18.5 % of its standard deviation); a confound's scale changes no "
            "fit\n"
            "Duvendal>  Scaled rot_x_power2 by 1e2: six decimals would distort it (a rounding "
            "error of 16.6 % of its standard deviation); a confound's scale changes no fit\n"
            "Duvendal>  Scaled rot_y_derivative1_power2 by 1e3: six decimals would distort it (a "
            "rounding error of 52.7 % of its standard deviation); a confound's scale changes no "
            "fit\n"
            "Duvendal>  Scaled rot_y_power2 by 1e1: six decimals would distort it (a rounding "
            "error of 2.4 % of its standard deviation); a confound's scale changes no fit\n"
            "Duvendal>  Scaled rot_z_derivative1_power2 by 1e2: six decimals would distort it (a "
            "rounding error of 11.4 % of its standard deviation); a confound's scale changes no "
            "fit\n"
            "Duvendal>  Scaled rot_z_power2 by 1e1: six decimals would distort it (a rounding "
            "error of 3.6 % of its standard deviation); a confound's scale changes no fit\n"
            "Duvendal>  Saved out/sub01_task_desc-confounds_timeseries.sdm\n");
  for (const char* extension : {".sdm", ".txt", ".csv"}) {
    EXPECT_TRUE(exists(std::string("out/sub01_task_desc-confounds_timeseries") + extension))
        << extension;
  }

  const auto merged =
      readSdmFile(file("out/sub01_task_desc-confounds_timeseries.sdm"), realFileSystem());
  std::vector<std::string> expected = {"Condition A", "Condition B", "Condition C", "Condition D"};
  for (const auto& name : motion24InTableOrder()) expected.push_back(name);
  for (const char* name : {"a_comp_cor_00", "a_comp_cor_01", "a_comp_cor_02", "a_comp_cor_03",
                           "a_comp_cor_04", "Constant"}) {
    expected.push_back(name);
  }
  EXPECT_EQ(merged.predictorNames, expected);
  EXPECT_EQ(merged.nrOfPredictors.value, 4 + 24 + 5 + 1);
  EXPECT_EQ(merged.firstConfoundPredictor.value, 5);
  EXPECT_EQ(merged.nrOfDataPoints.value, 240);
  for (std::size_t p = 4; p < 4 + 29; ++p) EXPECT_EQ(merged.colorRed[p], 255);

  // Values as the table holds them, within the six decimals written and single precision; 0
  // where a difference had no value.
  const auto at = [&](const std::string& name, std::size_t t) {
    const auto p = static_cast<std::size_t>(std::find(expected.begin(), expected.end(), name) -
                                            expected.begin());
    return merged.values.at(p).at(t);
  };
  EXPECT_EQ(at("trans_x_derivative1", 0), 0.0F);
  EXPECT_EQ(at("rot_z_derivative1_power2", 0), 0.0F);
  for (const char* name : {"trans_x", "trans_y_derivative1", "a_comp_cor_04"}) {
    for (std::size_t t : {1U, 120U, 239U}) {
      EXPECT_NEAR(at(name, t), std::strtod(cell(name, t).c_str(), nullptr), 1e-6)
          << name << " " << t;
    }
  }
}

TEST_F(ConfoundInputsTest, SkippedVolumesLeaveNoValueToSetAndCountBeforeTheDataPointCheck) {
  const auto mismatch = run({"merge-all", "--primary", "examples/sub01_task.sdm", "--out-dir",
                             "out", "--skip-volumes", "2", kPar});
  EXPECT_EQ(mismatch.exitCode, 2);
  EXPECT_EQ(mismatch.err,
            "Duvendal>  Start merging process of primary with every secondary sdm\n"
            "examples/sub01_task.sdm has 240 data points, examples/sub01_bold_mcf.par has 238: "
            "every input needs as many (--skip-volumes N and --skip-last-volumes N drop the first "
            "or last N rows of .tsv, .txt, .par and .1D inputs)\n");

  const auto result =
      run({"merge-sec", "--out-dir", "out", "--skip-volumes", "1", "--confounds", "motion12",
           "--confounds", "framewise_displacement", kTable, kPar, "--derivatives"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Start merging process of all secondary sdms\n"
            "Duvendal>  Saved out/sub01_desc-confounds_timeseries_bold_mcf.sdm\n");
  const auto merged =
      readSdmFile(file("out/sub01_desc-confounds_timeseries_bold_mcf.sdm"), realFileSystem());
  EXPECT_EQ(merged.nrOfDataPoints.value, 239);
  EXPECT_EQ(merged.nrOfPredictors.value, 13 + 12 + 1);
  EXPECT_EQ(merged.predictorNames[12], "framewise_displacement");
  EXPECT_EQ(merged.predictorNames[13], "sub01_bold_mcf_1");
  EXPECT_EQ(merged.predictorNames[19], "sub01_bold_mcf_1_derivative1");
  // The table's second volume is the first kept: its difference is the table's own.
  EXPECT_NEAR(merged.values[1][0], std::strtod(cell("trans_x_derivative1", 1).c_str(), nullptr),
              1e-6);
  EXPECT_EQ(merged.values[19][0], 0.0F);
}

TEST_F(ConfoundInputsTest, ATableWithoutSelectionListsItsColumnsAndThePresets) {
  const auto result =
      run({"merge-all", "-q", "--primary", "examples/sub01_task.sdm", "--out-dir", "out", kTable});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.rfind(std::string("Error: ") + kTable +
                                 ": choose the confounds to take from this table with "
                                 "--confounds: presets motion6, motion12, motion24, wm_csf, "
                                 "global, acompcor:N, cosine, outliers, or column names (* for "
                                 "any text); its columns: global_signal, "
                                 "global_signal_derivative1, ",
                             0),
            0U)
      << result.err;
  EXPECT_NE(result.err.find(", motion_outlier01\n"), std::string::npos);
  EXPECT_FALSE(exists("out/sub01_task_desc-confounds_timeseries.sdm"));
}

TEST_F(ConfoundInputsTest, NotAvailableOutsideTheLeadingDifferencesIsAnErrorAtItsLine) {
  testing::writeText(file("examples/bad.tsv"), "csf\tdvars\n830\tn/a\n831\t20\nn/a\t21\n832\t22\n");
  testing::writeText(file("examples/also_bad.tsv"), "dvars\nn/a\n1\nn/a\n2\n");
  const auto csf = run(
      {"merge-sec", "--confounds", "wm_csf", "examples/bad.tsv", "examples/sub01_motion_run1.sdm"});
  EXPECT_EQ(csf.exitCode, 1);
  EXPECT_EQ(csf.err,
            "Duvendal>  Start merging process of all secondary sdms\n"
            "Error: examples/bad.tsv: wm_csf needs columns the table does not have: "
            "white_matter\n");
  const auto later = run({"merge-sec", "-q", "--confounds", "csf", "examples/bad.tsv",
                          "examples/sub01_motion_run1.sdm"});
  EXPECT_EQ(later.err, "Error: examples/bad.tsv, line 4, column csf: n/a\n");
  const auto dvars = run({"merge-sec", "-q", "--confounds", "dvars", "examples/also_bad.tsv",
                          "examples/sub01_motion_run1.sdm"});
  EXPECT_EQ(dvars.err, "Error: examples/also_bad.tsv, line 4, column dvars: n/a\n");
}

TEST_F(ConfoundInputsTest, OptionsThatNoInputTakesAndMistypedSelectionsAreRefused) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string error;
  };
  const Case cases[] = {
      {{"merge-sec", "--confounds", "csf", kPar, "examples/sub01_physio.rtc"},
       1,
       "Error: --confounds selects columns of .tsv tables, and no input is one\n"},
      {{"merge-sec", "--squares", "--confounds", "csf", kTable, "examples/sub01_physio.rtc"},
       1,
       "Error: --derivatives and --squares expand .txt, .par and .1D files, and no input is "
       "one\n"},
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "--skip-volumes", "4",
        "examples/sub01_physio.rtc"},
       1,
       "Error: --skip-volumes drops rows of .tsv, .txt, .par and .1D files, and no input is "
       "one\n"},
      {{"merge-sec", "--confounds", "acompcor:0", kTable, kPar},
       64,
       "Error: --confounds: \"acompcor:0\": acompcor needs a count from 1, as in acompcor:5\n"
       "Run 'duvendal --help' for more information.\n"},
      {{"merge-sec", "--skip-volumes", "-1", kTable, kPar}, 64, ""},
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "--skip-last-volumes", "1",
        "examples/sub01_physio.rtc"},
       1,
       "Error: --skip-last-volumes drops rows of .tsv, .txt, .par and .1D files, and no input "
       "is one\n"},
      {{"merge-sec", "--skip-last-volumes", "-1", kTable, kPar}, 64, ""},
      // A selection that is neither a preset nor a column is a usage error, told before
      // anything is read but the tables' header rows, by every command that takes tables.
      {{"merge-sec", "--confounds", "motion36", kTable, kPar},
       64,
       std::string("Error: ") + kTable +
           ": --confounds \"motion36\" is neither a preset nor a column; close presets: motion6, "
           "motion12, motion24; close columns: none\nRun 'duvendal --help' for more "
           "information.\n"},
      {{"check", "--confounds", "csf", "--confounds", "trans_x_deriv", kTable},
       64,
       std::string("Error: ") + kTable +
           ": --confounds \"trans_x_deriv\" is neither a preset nor a column; close presets: "
           "none; close columns: trans_x_derivative1, trans_x_derivative1_power2\nRun 'duvendal "
           "--help' for more information.\n"},
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "--confounds", "globl", kTable},
       64,
       std::string("Error: ") + kTable +
           ": --confounds \"globl\" is neither a preset nor a column; close presets: global; "
           "close columns: none\nRun 'duvendal --help' for more information.\n"},
  };
  for (const auto& c : cases) {
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments[1];
    if (!c.error.empty()) {
      EXPECT_EQ(result.err, c.error);
    }
  }
  EXPECT_FALSE(exists("out"));
}

// A pipeline's table one row longer than the design: the mismatch names both files as given
// with their counts, and --skip-last-volumes drops the extra row, from the table and from the
// motion its spikes are flagged in.
TEST_F(ConfoundInputsTest, TrailingRowsAreDroppedAsLeadingOnesAre) {
  const auto table = testing::readText(file(kTable));
  const auto lastRow = table.substr(table.rfind('\n', table.size() - 2) + 1);
  testing::writeText(file("examples/long.tsv"), table + lastRow);
  const auto mismatch = run({"merge-all", "-q", "--primary", "examples/sub01_task.sdm",
                             "--confounds", "motion6", "examples/long.tsv"});
  EXPECT_EQ(mismatch.exitCode, 2);
  EXPECT_EQ(mismatch.err,
            "examples/sub01_task.sdm has 240 data points, examples/long.tsv has 241: every input "
            "needs as many (--skip-volumes N and --skip-last-volumes N drop the first or last N "
            "rows of .tsv, .txt, .par and .1D inputs)\n");
  const auto result = run({"merge-all", "--primary", "examples/sub01_task.sdm", "--confounds",
                           "motion6", "--skip-last-volumes", "1", "--spikes", "fd:0.5", "--out-dir",
                           "out", "examples/long.tsv"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto merged = readSdmFile(file("out/sub01_task_long.sdm"), realFileSystem());
  EXPECT_EQ(merged.nrOfDataPoints.value, 240);
  EXPECT_NEAR(merged.values[4][239], std::strtod(cell("trans_x", 239).c_str(), nullptr), 1e-6);
}

TEST_F(ConfoundInputsTest, PipelineTablesAsPipelinesWriteThem) {
  // Separated by commas.
  testing::writeText(file("examples/commas.tsv"), "csf,white_matter\n1,2\n");
  const auto commas = run({"merge-sec", "-q", "--confounds", "wm_csf", "examples/commas.tsv",
                           "examples/sub01_motion_run1.sdm"});
  EXPECT_EQ(commas.exitCode, 1);
  EXPECT_EQ(commas.err,
            "Error: examples/commas.tsv, line 1: the columns are separated by commas; a .tsv "
            "confound table separates them by tabs\n");
  // The outliers preset: the first volume flagged twice, a column flagging nothing.
  std::string outliers =
      "non_steady_state_outlier00\tmotion_outlier00\tmotion_outlier01\tmotion_outlier02\n";
  for (int t = 0; t < 240; ++t) {
    outliers += t == 0 ? "1\t1\t0\t0\n" : t == 5 ? "0\t0\t0\t1\n" : "0\t0\t0\t0\n";
  }
  testing::writeText(file("examples/outliers.tsv"), outliers);
  const auto result = run({"merge-all", "--primary", "examples/sub01_task.sdm", "--confounds",
                           "outliers", "--ztrans", "--out-dir", "out", "examples/outliers.tsv"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Start merging process of primary with every secondary sdm\n"
            "Duvendal>  Left out of outliers: motion_outlier00 (repeats "
            "non_steady_state_outlier00), motion_outlier01 (all zero): examples/outliers.tsv\n"
            "Duvendal>  Saved out/sub01_task_outliers.sdm\n");
  // --ztrans leaves them 0 and 1.
  const auto merged = readSdmFile(file("out/sub01_task_outliers.sdm"), realFileSystem());
  ASSERT_EQ(merged.nrOfPredictors.value, 4 + 2 + 1);
  for (const std::size_t p : {4U, 5U}) {
    const auto& column = merged.values[p];
    EXPECT_EQ(std::count(column.begin(), column.end(), 1.0F), 1) << merged.predictorNames[p];
    EXPECT_EQ(std::count(column.begin(), column.end(), 0.0F), 239) << merged.predictorNames[p];
  }
}

TEST_F(ConfoundInputsTest, ConvertedNamesTakePartInTheOutputPlan) {
  fs::copy_file(file(kPar), file("examples/sub01_bold_mcf.txt"));
  const auto result = run({"merge-all", "--primary", "examples/sub01_task.sdm", "--out-dir", "out",
                           kPar, "examples/sub01_bold_mcf.txt"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "Error: the outputs out/sub01_task_bold_mcf.sdm and out/sub01_task_bold_mcf.sdm "
            "would be the same file\n");
}

TEST_F(ConfoundInputsTest, CheckReadsConfoundFilesAsTheMergesDo) {
  const auto result = run({"check", "--format", "tsv", "--confounds", "motion24", kTable, kPar,
                           "--squares", "examples/sub01_task.sdm"});
  EXPECT_NE(result.exitCode, 1) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Set leading n/a to 0 in: trans_x_derivative1, trans_x_derivative1_power2, "
            "trans_y_derivative1, trans_y_derivative1_power2, trans_z_derivative1, "
            "trans_z_derivative1_power2, rot_x_derivative1, rot_x_derivative1_power2, "
            "rot_y_derivative1, rot_y_derivative1_power2, rot_z_derivative1, "
            "rot_z_derivative1_power2\n");
  // One row per predictor after the heading: 24 of the table, 12 of the motion file, 5 of the
  // task design; and one of head motion for the table and one for the motion file.
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1 + 24 + 12 + 5 + 2);
  EXPECT_NE(result.out.find("\tmotion\t"), std::string::npos);
  EXPECT_NE(result.out.find(std::string(kTable) + "\t"), std::string::npos);
  EXPECT_NE(result.out.find("\tsub01_bold_mcf_6_power2\t"), std::string::npos);
}

TEST_F(ConfoundInputsTest, CheckReportsATableWithoutSelectionAndChecksTheOthers) {
  const auto result = run({"check", kTable, "examples/sub01_task.sdm"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.rfind(std::string("Error: ") + kTable +
                                 ": choose the confounds to take from this table with --confounds",
                             0),
            0U)
      << result.err;
  EXPECT_NE(result.out.find("examples/sub01_task.sdm"), std::string::npos);
  const auto unused = run({"check", "--derivatives", "examples/sub01_task.sdm"});
  EXPECT_EQ(unused.exitCode, 1);
  EXPECT_EQ(unused.err,
            "Error: --derivatives and --squares expand .txt, .par and .1D files, and no input is "
            "one\n");
  EXPECT_EQ(unused.out, "");
}

}  // namespace
}  // namespace duv
