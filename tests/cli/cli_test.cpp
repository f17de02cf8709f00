// The command-line tool, run as a process on copies of the example study.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/design_matrix.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;

// A folder holding a copy of the example study, where the tool runs.
class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    fs::copy(fs::path(testing::sourceDir()) / "examples", dir_.path() / "examples",
             fs::copy_options::recursive);
  }

  ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), DUVENDAL_TOOL);
    return testing::runProcess(arguments, dir_.path().string());
  }

  std::string file(const std::string& relative) const { return dir_.file(relative); }
  bool exists(const std::string& relative) const { return fs::exists(dir_.path() / relative); }
  std::string text(const std::string& relative) const { return testing::readText(file(relative)); }

  testing::TempDir dir_;
};

const std::vector<std::string> kSecondaries = {
    "examples/sub01_motion_run1.sdm", "examples/sub01_motion_run2.sdm",
    "examples/sub01_motion_run3.sdm", "examples/sub01_physio.rtc", "examples/sub01_drift.rtc"};

std::vector<std::string> with(std::vector<std::string> front,
                              const std::vector<std::string>& back) {
  front.insert(front.end(), back.begin(), back.end());
  return front;
}

TEST_F(CliTest, MergeAllSavesOneResultPerSecondaryWithReportAndTable) {
  const auto result = run(
      with({"merge-all", "--primary", "examples/sub01_task.sdm", "--allcorr", "--out-dir", "out"},
           kSecondaries));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "Duvendal>  Start merging process of primary with every secondary sdm\n"
            "Duvendal>  Saved out/sub01_task_motion_run1.sdm\n"
            "Duvendal>  Saved out/sub01_task_motion_run2.sdm\n"
            "Duvendal>  Saved out/sub01_task_motion_run3.sdm\n"
            "Duvendal>  Saved out/sub01_task_physio.sdm\n"
            "Duvendal>  Saved out/sub01_task_drift.sdm\n");
  for (const char* name : {"motion_run1", "motion_run2", "motion_run3", "physio", "drift"}) {
    for (const char* extension : {".sdm", ".txt", ".csv"}) {
      EXPECT_TRUE(exists(std::string("out/sub01_task_") + name + extension)) << name << extension;
    }
  }
  const DesignMatrix merged(file("out/sub01_task_motion_run1.sdm"));
  EXPECT_EQ(merged.nrOfPredictors.value, 11);  // 4 conditions, 6 motion, constant last
  EXPECT_EQ(merged.firstConfoundPredictor.value, 5);
  EXPECT_EQ(merged.predictorNames.back(), "Constant");
}

TEST_F(CliTest, WithoutOutDirResultsGoToTheSuggestedPaths) {
  const auto result =
      run({"merge-all", "-q", "--primary", "examples/sub01_task.sdm", "examples/sub01_physio.rtc"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(exists("examples/sub01_task_physio.sdm"));
  EXPECT_FALSE(exists("examples/sub01_task_physio.txt"));
}

TEST_F(CliTest, MergeSecondaryChainsTheNamesAndHonoursTheOptions) {
  const auto result = run({"merge-sec", "--no-baseline", "--ztrans", "--out-dir", "new/folder",
                           "examples/sub01_motion_run1.sdm", "examples/sub01_motion_run2.sdm",
                           "examples/sub01_drift.rtc"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err,
            "Duvendal>  Start merging process of all secondary sdms\n"
            "Duvendal>  Saved new/folder/sub01_motion_run1_run2_drift.sdm\n");
  const DesignMatrix merged(file("new/folder/sub01_motion_run1_run2_drift.sdm"));
  EXPECT_EQ(merged.nrOfPredictors.value, 14);
  EXPECT_FALSE(merged.includesConstant.value);
  EXPECT_NE(merged.predictorNames.back(), "Constant");
}

TEST_F(CliTest, CorrWritesReportAndTableForEveryFileAndGoesOnAfterAFailure) {
  const auto result = run({"corr", "examples/sub01_task.sdm", "examples/missing.sdm",
                           "examples/sub01_motion_run3.sdm"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "Duvendal>  Saved Correlatios to examples/sub01_task.csv\n"
            "Error: Failed opening for reading: examples/missing.sdm\n"
            "Duvendal>  Saved Correlatios to examples/sub01_motion_run3.csv\n");
  EXPECT_TRUE(exists("examples/sub01_task.txt"));
  EXPECT_TRUE(exists("examples/sub01_motion_run3.txt"));
  EXPECT_EQ(text("examples/sub01_task.csv").substr(0, 17), " ; Condition A ; ");
}

TEST_F(CliTest, DataPointMismatchPrintsTheMessageAloneAndExits2) {
  const auto result =
      run({"merge-all", "--primary", "examples/sub01_task.sdm", "--out-dir", "out",
           "examples/sub01_motion_run1.sdm", "examples/bad/sub01_motion_short.sdm"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err,
            "Duvendal>  Start merging process of primary with every secondary sdm\n"
            "sub01_motion_short.sdm does not have the same number of data points as "
            "sub01_motion_run1.sdm\n");
  EXPECT_FALSE(exists("out/sub01_task_motion_run1.sdm"));
}

TEST_F(CliTest, RunsThatWouldOverwriteAFileAreRefusedBeforeAnythingIsRead) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{"merge-sec", "examples/sub01_motion_run1.sdm", "--out-dir", "examples"},
       "Error: the output examples/sub01_motion_run1.sdm would overwrite the input "
       "examples/sub01_motion_run1.sdm\n"},
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "--out-dir", "out",
        "examples/sub01_motion_run1.sdm", "examples/./../examples/sub01_motion_run1.sdm"},
       "Error: the outputs out/sub01_task_motion_run1.sdm and out/sub01_task_motion_run1.sdm "
       "would be the same file\n"},
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "--out-dir", "out",
        "examples/sub01_physio.rtc", "examples/bad/../sub01_physio.sdm"},
       "Error: the outputs out/sub01_task_physio.sdm and out/sub01_task_physio.sdm would be the "
       "same file\n"},
      {{"corr", "examples/sub01_task.sdm", "examples/sub01_task.txt"},
       "Error: the output examples/sub01_task.txt would overwrite the input "
       "examples/sub01_task.txt\n"},
  };
  for (const auto& c : cases) {
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, c.error);
  }
  EXPECT_FALSE(exists("out"));
}

TEST_F(CliTest, InputsThatAreNotSdmOrRtcAreErrorsNamingThem) {
  const auto result = run({"merge-all", "--primary", "examples/sub01_task.sdm",
                           "examples/sub01_motion_run1.sdm", "examples/sub01_physio.RTC"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: examples/sub01_physio.RTC is neither an .sdm nor an .rtc file\n");
}

TEST_F(CliTest, MissingAndMalformedInputsAreErrors) {
  testing::writeText(
      file("examples/broken.sdm"),
      "NrOfPredictors: 2\nNrOfDataPoints: 1\nFirstConfoundPredictor: 1\n\"a\" \"b\"\n"
      " 1.0 NA\n");
  const auto missing = run({"merge-sec", "examples/sub01_motion_run1.sdm", "examples/none.sdm"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err,
            "Duvendal>  Start merging process of all secondary sdms\n"
            "Error: Failed opening for reading: examples/none.sdm\n");
  const auto broken = run({"corr", "-q", "examples/broken.sdm"});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_EQ(broken.err,
            "Error: invalid stof argument: examples/broken.sdm, line 5: \"NA\" is not a number\n");
  const auto single = run({"merge-sec", "examples/sub01_motion_run1.sdm", "--out-dir", "out"});
  EXPECT_EQ(single.exitCode, 1);
  EXPECT_NE(single.err.find("Error: Not enough secondary SDMs available\n"), std::string::npos);
}

TEST_F(CliTest, UsageErrorsHelpAndVersion) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {},
           {"merge-all", "examples/sub01_physio.rtc"},
           {"frobnicate"},
           {"merge-sec", "--baseline", "--no-baseline", "a.sdm", "b.sdm"},
           {"corr"}}) {
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_EQ(result.err.substr(0, 7), "Error: ");
    EXPECT_NE(result.err.find("--help"), std::string::npos);
  }
  for (const char* command : {"merge-all", "merge-sec", "corr"}) {
    const auto help = run({command, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("replaced"), std::string::npos);
    EXPECT_EQ(help.err, "");
  }
  const auto version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "duvendal 1.0.0\n");
}

}  // namespace
}  // namespace duv
