// Head motion through the tool, on copies of the example study: the check's summary beside a
// design, the run that moved too much, and the spike columns of the merges and the check.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "tests/cli/study_copy_test.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using HeadMotionTest = testing::StudyCopyTest;

const char* const kTable = "examples/sub01_desc-confounds_timeseries.tsv";

// The example realignment, in each tool's layout, and the table whose two volumes moved more
// than 0.5 mm.
TEST_F(HeadMotionTest, CheckSummarisesTheMotionOfEveryMotionInputOrBesideADesign) {
  struct Case {
    std::vector<std::string> arguments;
    std::string line;
  };
  const std::string example =
      "mean FD 0.09 mm, largest 0.16 mm; above 0.2 mm: 0, above 0.5 mm: 0; 0 volumes flagged "
      "above 0.5 mm, scrubbing them leaves ";
  const Case cases[] = {
      {{"examples/sub01_bold_mcf.par"},
       "  head motion (examples/sub01_bold_mcf.par): " + example +
           "233 residual degrees of "
           "freedom\n"},
      {{"examples/sub01_rp_run1.txt"},
       "  head motion (examples/sub01_rp_run1.txt): " + example +
           "233 residual degrees of "
           "freedom\n"},
      {{"examples/sub01_motion.1D"},
       "  head motion (examples/sub01_motion.1D): " + example +
           "233 residual degrees of "
           "freedom\n"},
      {{"examples/sub01_task.sdm", "--motion", "examples/sub01_motion.1D"},
       "  head motion (examples/sub01_motion.1D): " + example +
           "235 residual degrees of "
           "freedom\n"},
      {{"--confounds", "motion6", kTable, "--fd-thresholds", "1,2"},
       "  head motion (" + std::string(kTable) +
           "): mean FD 0.09 mm, largest 1.45 mm; above 1 mm: 1 volume (0.4 %), above 2 mm: 0; 2 "
           "volumes flagged above 0.5 mm, scrubbing them leaves 231 residual degrees of "
           "freedom\n"},
      // A txt file from another tool, rotations first.
      {{"examples/sub01_rp_run1.txt", "--motion-layout", "par"},
       "  head motion (examples/sub01_rp_run1.txt): mean FD "},
  };
  for (const auto& c : cases) {
    auto arguments = c.arguments;
    arguments.insert(arguments.begin(), "check");
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 0) << arguments[1] << result.err;
    EXPECT_NE(result.out.find(c.line), std::string::npos) << arguments[1] << "\n" << result.out;
  }
  // A design of more than motion (here merged with it) is no motion input of its own.
  const auto merged = run({"check", "examples/bad/sub01_task_motion_broken.sdm"});
  EXPECT_EQ(merged.out.find("head motion ("), std::string::npos);
}

TEST_F(HeadMotionTest, ARunWithTooManyFlaggedVolumesWarnsHigh) {
  const auto result = run({"check", "--fail-on", "high", "--confounds", "motion6", kTable,
                           "--spikes", "fd:0.1", "--max-scrubbed", "5", "--format", "text"});
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_NE(result.out.find("  HIGH    head motion: "), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(" of the volumes move more than 0.1 mm (more than 5 %)"),
            std::string::npos)
      << result.out;
  const auto json = run({"check", "--format", "json", "--confounds", "motion6", kTable});
  EXPECT_NE(json.out.find("\"flagged_volumes\": [\n"), std::string::npos);
}

TEST_F(HeadMotionTest, MotionOptionsThatCannotBeMetAreErrors) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string error;
  };
  const Case cases[] = {
      {{"check", "examples/sub01_task.sdm", "examples/sub01_physio.rtc", "--motion",
        "examples/sub01_bold_mcf.par"},
       64,
       "Error: --motion is given 1 times for 2 files: give it once for every file, in the same "
       "order\nRun 'duvendal --help' for more information.\n"},
      {{"check", "--spikes", "fd:0.5", "--confounds", "outliers", kTable},
       64,
       "Error: --spikes and --confounds outliers would give the same spike columns twice: ask "
       "for one of them\nRun 'duvendal --help' for more information.\n"},
      {{"check", "examples/sub01_task.sdm", "--spikes", "fd:-1"}, 64, ""},
      {{"check", "examples/sub01_task.sdm", "--motion-layout", "afni"}, 64, ""},
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "--spikes", "fd:0.5",
        "examples/sub01_physio.rtc"},
       1,
       "Duvendal>  Start merging process of primary with every secondary sdm\n"
       "Error: spike columns are asked for, and no input holds head motion (a motion design, a "
       ".par, .txt or .1D file, or a confound table)\n"},
      {{"check", "examples/sub01_task.sdm", "--motion", "examples/sub01_physio.rtc"},
       1,
       "Error: examples/sub01_physio.rtc: its extension tells no motion layout (.sdm, .par, "
       ".txt, .1D, .tsv); name the layout: one of sdm, par, txt, 1d, tsv\n"},
  };
  for (const auto& c : cases) {
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments[1] << result.err;
    if (!c.error.empty()) {
      EXPECT_EQ(result.err, c.error);
    }
    if (c.exitCode == 64) {
      EXPECT_EQ(result.err.rfind("Error: ", 0), 0U) << result.err;
    }
  }
  // Head motion of another length than the design: that file's error.
  testing::writeText(file("examples/short.par"), "0 0 0 0 0 0\n0 0 0 0 0 1\n");
  const auto shorter = run({"check", "examples/sub01_task.sdm", "--motion", "examples/short.par"});
  EXPECT_EQ(shorter.exitCode, 1);
  EXPECT_EQ(shorter.err,
            "Error: examples/short.par: 2 volumes of head motion for the 240 data points of "
            "sub01_task.sdm\n");
}

// The example table: mean FD 0.09 mm, largest 1.45 mm, 2 of 240 volumes above 0.2 mm.
TEST_F(HeadMotionTest, TheMotionRuleAndOwnLimitsSetTheStatus) {
  struct Case {
    std::vector<std::string> options;
    std::string warning;  // the head-motion warning line, or "" for none
  };
  const Case cases[] = {
      {{}, ""},
      {{"--motion-rule", "lenient"}, ""},
      {{"--max-mean-fd", "0.05"}, "head motion: mean FD 0.09 mm > 0.05"},
      {{"--motion-rule", "none", "--max-mean-fd", "0.05"}, "head motion: mean FD 0.09 mm > 0.05"},
      {{"--motion-rule", "lenient", "--max-fd", "1"}, "head motion: largest FD 1.45 mm > 1"},
      {{"--max-fd", "1.5"}, ""},
      {{"--max-share-above", "0.2:0.5"}, "head motion: 1 % of volumes > 0.2 mm"},
      {{"--max-share-above", "0.2:1"}, ""},
      {{"--motion-rule", "none", "--max-scrubbed", "0.5"},
       "head motion: 0.8 % of the volumes move more than 0.5 mm (more than 0 %); scrubbing them "
       "leaves 231 residual degrees of freedom"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments{"check",       "--fail-on", "high",
                                       "--confounds", "motion6",   kTable};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const auto result = run(arguments);
    SCOPED_TRACE(c.options.empty() ? "defaults" : c.options.front() + " " + c.options.back());
    EXPECT_EQ(result.exitCode, c.warning.empty() ? 0 : 3) << result.err;
    if (c.warning.empty()) {
      EXPECT_EQ(result.out.find("HIGH    head motion"), std::string::npos) << result.out;
    } else {
      EXPECT_NE(result.out.find("  HIGH    " + c.warning + "\n"), std::string::npos) << result.out;
    }
  }
}

TEST_F(HeadMotionTest, MotionLimitsThatCannotHoldAreUsageErrors) {
  struct Case {
    std::vector<std::string> options;
    std::string error;
  };
  const Case cases[] = {
      {{"--motion-rule", "strict"},
       "--motion-rule: unknown motion rule \"strict\": one of stringent, lenient, none"},
      {{"--motion-rule", ""},
       "--motion-rule: unknown motion rule \"\": one of stringent, lenient, none"},
      {{"--max-mean-fd", "-0.1"}, "--max-mean-fd: \"-0.1\" is not a number of mm, 0 or more"},
      {{"--max-mean-fd", "0.2mm"}, "--max-mean-fd: \"0.2mm\" is not a number of mm, 0 or more"},
      {{"--max-fd", "five"}, "--max-fd: \"five\" is not a number of mm, 0 or more"},
      {{"--max-share-above", "0.2"}, "--max-share-above: \"0.2\" is not MM:PERCENT (as 0.2:20)"},
      {{"--max-share-above", "0.2:101"},
       "--max-share-above: \"0.2:101\": \"101\" is not a percentage from 0 to 100"},
      {{"--max-share-above", "x:20"},
       "--max-share-above: \"x:20\": \"x\" is not a number of mm, 0 or more"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const std::string expected =
        "Error: " + c.error + "\nRun 'duvendal --help' for more information.\n";
    std::vector<std::string> check{"check", kTable};
    check.insert(check.end(), c.options.begin(), c.options.end());
    const auto checked = run(check);
    EXPECT_EQ(checked.exitCode, 64);
    EXPECT_EQ(checked.err, expected);
    std::vector<std::string> study{"study", "--primary", "examples/study/sub-{sub}/a.sdm",
                                   "--out-dir", "out"};
    study.insert(study.end(), c.options.begin(), c.options.end());
    const auto studied = run(study);
    EXPECT_EQ(studied.exitCode, 64);
    EXPECT_EQ(studied.err, expected);
  }
  EXPECT_FALSE(exists("out"));
}

// The motion rule and limits are among the options a run's record keeps.
TEST_F(HeadMotionTest, AStudyRedoesItsRunsWhenTheMotionLimitsChange) {
  const auto study = [this](std::vector<std::string> more) {
    std::vector<std::string> arguments{
        "study",
        "--primary",
        "examples/study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm",
        "--confounds-from",
        "examples/study/derivatives/sub-{sub}/func/"
        "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv",
        "--confounds",
        "motion6",
        "--only",
        "sub=01",
        "--out-dir",
        "out"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
  };
  const std::string upToDate = "(2 up to date, not done again)";
  study({});
  EXPECT_NE(study({"--motion-rule", "stringent"}).find(upToDate), std::string::npos);
  const std::vector<std::vector<std::string>> changes = {
      {"--motion-rule", "lenient"},
      {"--motion-rule", "lenient", "--max-mean-fd", "0.3"},
      {"--motion-rule", "lenient", "--max-mean-fd", "0.3", "--max-fd", "3"},
      {"--motion-rule", "lenient", "--max-mean-fd", "0.3", "--max-fd", "3", "--max-share-above",
       "0.3:10"},
      {"--motion-rule", "none", "--max-mean-fd", "0.3", "--max-fd", "3", "--max-share-above",
       "0.3:10"},
  };
  for (const auto& options : changes) {
    SCOPED_TRACE(options.size());
    EXPECT_EQ(study(options).find("up to date"), std::string::npos);
    EXPECT_NE(study(options).find(upToDate), std::string::npos);
  }
}

// The table's own outlier columns regress out the volumes that moved: scrubbing them would
// count them twice.
TEST_F(HeadMotionTest, FlaggedVolumesTheDesignSpikesAlreadyAreCountedOnce) {
  const auto plain = run({"check", "--confounds", "motion6", kTable});
  EXPECT_NE(plain.out.find("2 volumes flagged above 0.5 mm, scrubbing them leaves 231 residual "
                           "degrees of freedom\n"),
            std::string::npos)
      << plain.out;
  // Three more confounds (a non-steady-state volume and the two outliers): 230 left, and
  // nothing more to scrub.
  const auto outliers = run({"check", "--confounds", "motion6", "--confounds", "outliers", kTable});
  EXPECT_NE(outliers.out.find("rank 9 of 9, residual degrees of freedom 230,"), std::string::npos)
      << outliers.out;
  EXPECT_NE(outliers.out.find("2 volumes flagged above 0.5 mm, each a spike column, scrubbing "
                              "them leaves 230 residual degrees of freedom\n"),
            std::string::npos)
      << outliers.out;
}

TEST_F(HeadMotionTest, SpikeColumnsFollowTheirInputsColumnsAndStayIndicators) {
  const auto result =
      run({"merge-sec", "--spikes", "fd:0.5", "--confounds", "motion6", "--ztrans", "--out-dir",
           "out", kTable, "examples/sub01_bold_mcf.par", "examples/sub01_drift.rtc"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Start merging process of all secondary sdms\n"
            "Duvendal>  Flagged 2 of 240 volumes: " +
                std::string(kTable) +
                "\n"
                "Duvendal>  Flagged 0 of 240 volumes: examples/sub01_bold_mcf.par\n"
                "Duvendal>  Saved out/sub01_desc-confounds_timeseries_bold_mcf_drift.sdm\n");
  const auto merged =
      readSdmFile(file("out/sub01_desc-confounds_timeseries_bold_mcf_drift.sdm"), realFileSystem());
  const auto& names = merged.predictorNames;
  ASSERT_GE(names.size(), 9U);
  // The table's six columns, its two spikes, then the motion file's and the drift's columns.
  EXPECT_EQ(names[5], "rot_z");
  EXPECT_EQ(names[6], "motion_outlier00");
  EXPECT_EQ(names[7], "motion_outlier01");
  EXPECT_EQ(names[8], "sub01_bold_mcf_1");
  EXPECT_EQ(names.back(), "Constant");
  for (const std::size_t spike : {6U, 7U}) {
    const auto& column = merged.values[spike];
    EXPECT_EQ(std::count(column.begin(), column.end(), 1.0F), 1) << names[spike];
    EXPECT_EQ(std::count(column.begin(), column.end(), 0.0F), 239) << names[spike];
  }
  // The volumes flagged (the 5th and the 181st) are the table's own outliers.
  EXPECT_EQ(merged.values[6][4], 1.0F);
  EXPECT_EQ(merged.values[7][180], 1.0F);
  // z-transformed confounds around them.
  EXPECT_NE(merged.values[5][0], 0.0F);
}

}  // namespace
}  // namespace duv
