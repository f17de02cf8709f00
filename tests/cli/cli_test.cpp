// The command-line tool, run as a process on copies of the example study.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
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

using CliTest = testing::StudyCopyTest;

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
  const auto merged = readSdmFile(file("out/sub01_task_motion_run1.sdm"), realFileSystem());
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
  const auto merged =
      readSdmFile(file("new/folder/sub01_motion_run1_run2_drift.sdm"), realFileSystem());
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
            "examples/bad/sub01_motion_short.sdm has 200 data points, "
            "examples/sub01_motion_run1.sdm has 240: every input needs as many\n");
  EXPECT_FALSE(exists("out/sub01_task_motion_run1.sdm"));
}

TEST_F(CliTest, RunsThatWouldOverwriteAFileAreRefusedBeforeAnythingIsRead) {
  struct Case {
    std::vector<std::string> arguments;
    std::string error;
  };
  const Case cases[] = {
      {{"merge-sec", "examples/sub01_motion_run1.sdm", "examples/sub01_motion_run1_run2.sdm",
        "--out-dir", "examples"},
       "Error: the output examples/sub01_motion_run1_run2.sdm would overwrite the input "
       "examples/sub01_motion_run1_run2.sdm\n"},
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

TEST_F(CliTest, MergeSecWithOneInputIsNotEnoughBeforeAnythingElseIsLookedAt) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"merge-sec", "examples/sub01_motion_run1.sdm"},
           {"merge-sec", "-q", "examples/sub01_motion_run1.sdm", "--out-dir", "examples"},
           {"merge-sec", "examples/missing.sdm", "--out-dir", "out", "--html", "pages"},
           {"merge-sec", "examples/notes.csv", "--confounds", "motion6"}}) {
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 1) << arguments[1];
    EXPECT_EQ(result.err, "Error: Not enough secondary SDMs available\n");
  }
  EXPECT_FALSE(exists("out"));
  EXPECT_FALSE(exists("pages"));
}

// Folders are made by the first file saved into them: a run that stops earlier leaves none.
TEST_F(CliTest, NoFolderIsMadeBeforeTheRunsFirstSave) {
  testing::writeText(file("examples/broken.sdm"), "NrOfPredictors: 1\nNrOfDataPoints: 2\n");
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
  };
  const Case cases[] = {
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "examples/missing.sdm"}, 1},
      {{"merge-all", "--primary", "examples/missing.sdm", "examples/sub01_physio.rtc"}, 1},
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "examples/sub01_motion_run1.sdm",
        "examples/bad/sub01_motion_short.sdm"},
       2},
      {{"merge-sec", "examples/sub01_motion_run1.sdm", "examples/broken.sdm"}, 1},
      {{"corr", "examples/missing.sdm"}, 1},
  };
  for (const auto& c : cases) {
    auto arguments = c.arguments;
    arguments.insert(arguments.end(), {"-q", "--html", "pages/run"});
    if (arguments[0] != "corr") arguments.insert(arguments.end(), {"--out-dir", "out/run"});
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << arguments[1] << ": " << result.err;
    EXPECT_FALSE(exists("out")) << arguments[1];
    EXPECT_FALSE(exists("pages")) << arguments[1];
  }
}

TEST_F(CliTest, FileNamesMayHoldLineBreaks) {
  const std::string motion = "examples/motion\nrun\r1.sdm";
  fs::copy_file(file("examples/sub01_motion_run1.sdm"), file(motion));
  const auto all = run({"merge-all", "--primary", "examples/sub01_task.sdm", "--allcorr",
                        "--out-dir", "out", motion, "examples/sub01_physio.rtc"});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(all.err,
            "Duvendal>  Start merging process of primary with every secondary sdm\n"
            "Duvendal>  Saved out/sub01_task_motion\nrun\r1.sdm\n"
            "Duvendal>  Saved out/sub01_task_physio.sdm\n");
  EXPECT_EQ(
      readSdmFile(file("out/sub01_task_motion\nrun\r1.sdm"), realFileSystem()).nrOfPredictors.value,
      11);
  EXPECT_TRUE(exists("out/sub01_task_motion\nrun\r1.csv"));
  const auto secondaries =
      run({"merge-sec", "-q", "--out-dir", "out", motion, "examples/sub01_motion_run2.sdm"});
  ASSERT_EQ(secondaries.exitCode, 0) << secondaries.err;
  EXPECT_TRUE(exists("out/motion\nrun\r1_sub01_motion_run2.sdm"));
}

// A merge's page is made from the result in memory, as its file reads back: the same bytes as
// the page of the saved file read again.
TEST_F(CliTest, MergePagesDescribeTheSavedFilesAsTheyReadBack) {
  for (const char* baseline : {"--baseline", "--no-baseline"}) {
    const auto merge =
        run({"merge-all", "-q", "--primary", "examples/sub01_task.sdm", baseline, "--ztrans",
             "--out-dir", "out", "--html", "merged", "examples/sub01_motion_run3.sdm",
             "examples/sub01_bold_mcf.par", "--derivatives", "--squares"});
    ASSERT_EQ(merge.exitCode, 0) << merge.err;
    for (const char* name : {"sub01_task_motion_run3", "sub01_task_bold_mcf"}) {
      const auto saved = std::string("out/") + name + ".sdm";
      const auto reread = run({"corr", "-q", "--html", "reread", saved});
      ASSERT_EQ(reread.exitCode, 0) << reread.err;
      const auto page = std::string(name) + ".html";
      EXPECT_TRUE(text("merged/" + page) == text("reread/" + page)) << baseline << " " << name;
    }
  }
}

TEST_F(CliTest, InputsTheToolDoesNotReadAreErrorsNamingThem) {
  for (const char* input :
       {"examples/sub01_physio.RTC", "examples/sub01_bold_mcf.PAR", "examples/sub01_task.csv"}) {
    const auto result = run({"merge-all", "--primary", "examples/sub01_task.sdm",
                             "examples/sub01_motion_run1.sdm", input});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Error: " + std::string(input) +
                              " is not a file the tool reads: .sdm, .rtc, .tsv, .txt, .par or "
                              ".1D\n");
  }
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
  for (const char* command : {"merge-all", "merge-sec", "corr", "check"}) {
    const auto help = run({command, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find(std::string(command) == "check" ? "double precision" : "replaced"),
              std::string::npos);
    EXPECT_EQ(help.err, "");
  }
  for (const char* command : {"merge-all", "merge-sec"}) {
    const auto help = run({command, "--help"});
    for (const char* text : {"--confounds", "motion24", "acompcor:N", "--skip-volumes",
                             "--derivatives", "--squares", ".tsv", ".par", ".1D", "n/a"}) {
      EXPECT_NE(help.out.find(text), std::string::npos) << command << " " << text;
    }
  }
  const auto version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "duvendal 1.0.0\n");
}

TEST_F(CliTest, CheckExitCodesGateOnTheChosenLevel) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
  };
  const Case cases[] = {
      {{"examples/sub01_task.sdm", "examples/sub01_physio.rtc", "examples/sub01_drift.rtc"}, 0},
      {{"--fail-on", "medium", "examples/sub01_task.sdm"}, 0},
      {{"examples/bad/sub01_task_motion_broken.sdm"}, 3},
      {{"examples/sub01_task.sdm", "examples/bad/sub01_task_motion_broken.sdm"}, 3},
      // Findings among confounds alone never count toward the status.
      {{"--fail-on", "medium", "examples/sub01_motion_run1.sdm"}, 0},
      {{"--fail-on", "medium", "--all", "examples/sub01_motion_run1.sdm"}, 0},
      // The task's conditions correlate at most 0.17 among themselves.
      {{"--fail-on", "medium", "--medium-r", "0.1", "examples/sub01_task.sdm"}, 3},
      {{"--fail-on", "high", "--medium-r", "0.1", "examples/sub01_task.sdm"}, 0},
      {{"--fail-on", "high", "--medium-r", "0.1", "--high-r", "0.15", "examples/sub01_task.sdm"},
       3},
      {{"--fail-on", "medium", "--medium-r", "0.1", "--nuisance", "Condition *",
        "examples/sub01_task.sdm"},
       0},
      // A file that cannot be read comes first.
      {{"examples/bad/sub01_task_motion_broken.sdm", "examples/missing.sdm"}, 1},
      {{"--fail-on", "medium", "examples/sub01_task.txt"}, 1},
  };
  for (const auto& c : cases) {
    auto arguments = with({"check"}, c.arguments);
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << ::testing::PrintToString(arguments) << result.err;
    EXPECT_EQ(result.out.substr(0, 5), "file ") << ::testing::PrintToString(arguments);
  }
}

TEST_F(CliTest, CheckReportsUnreadableFilesAndChecksTheOthers) {
  const auto result = run({"check", "examples/missing.sdm", "examples/notes.doc",
                           "examples/bad/sub01_task_motion_broken.sdm"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "Error: Failed opening for reading: examples/missing.sdm\n"
            "Error: examples/notes.doc is not a file the tool reads: .sdm, .rtc, .tsv, .txt, .par "
            "or .1D\n");
  EXPECT_NE(result.out.find("examples/bad/sub01_task_motion_broken.sdm: error (2 error, "),
            std::string::npos);
}

TEST_F(CliTest, CheckWritesTsvAndJsonForScripts) {
  const auto tsv = run({"check", "--format", "tsv", "examples/sub01_task.sdm"});
  EXPECT_EQ(tsv.exitCode, 0);
  EXPECT_EQ(tsv.out.substr(0, 18), "file\tstatus\tdata_p");
  EXPECT_EQ(std::count(tsv.out.begin(), tsv.out.end(), '\n'), 6);
  const auto json = run({"check", "--format", "json", "--hide-confound-pairs",
                         "examples/bad/sub01_task_motion_broken.sdm"});
  EXPECT_EQ(json.exitCode, 3);
  const auto parsed = nlohmann::json::parse(json.out);
  EXPECT_EQ(parsed["status"], "error");
  EXPECT_EQ(parsed["thresholds"]["hide_confound_pairs"], true);
  EXPECT_EQ(parsed["files"][0]["rank"], 11);
}

TEST_F(CliTest, CheckUsageErrors) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"check"},
           {"check", "--format", "xml", "examples/sub01_task.sdm"},
           {"check", "--fail-on", "low", "examples/sub01_task.sdm"},
           {"check", "--medium-r", "0.8", "--high-r", "0.7", "examples/sub01_task.sdm"},
           {"check", "--high-vif", "abc", "examples/sub01_task.sdm"}}) {
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, 64) << ::testing::PrintToString(arguments);
    EXPECT_EQ(result.err.substr(0, 7), "Error: ");
  }
  EXPECT_EQ(run({"check", "--medium-r", "0.8", "--high-r", "0.7", "examples/sub01_task.sdm"}).err,
            "Error: --high-r must lie between --medium-r and 1\n"
            "Run 'duvendal --help' for more information.\n");
}

// The core names a threshold in words; the tool names the option that sets it.
TEST_F(CliTest, ThresholdUsageErrorsNameTheirOption) {
  struct Case {
    std::vector<std::string> options;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--medium-r", "0"}, "--medium-r must lie above 0 and at most 1"},
      {{"--medium-r", "0.8"}, "--high-r must lie between --medium-r and 1"},
      {{"--medium-vif", "0.5"}, "--medium-vif must be at least 1"},
      {{"--high-vif", "4"}, "--high-vif must be at least --medium-vif"},
      {{"--medium-cvif", "0.5"}, "--medium-cvif must be at least 1"},
      {{"--high-cvif", "4"}, "--high-cvif must be at least --medium-cvif"},
  };
  for (const auto& c : cases) {
    for (const char* command : {"check", "study"}) {
      std::vector<std::string> arguments{command};
      arguments.insert(arguments.end(), c.options.begin(), c.options.end());
      if (std::string(command) == "check") {
        arguments.push_back("examples/sub01_task.sdm");
      } else {
        arguments.insert(arguments.end(), {"--manifest", "runs.tsv", "--out-dir", "out"});
      }
      SCOPED_TRACE(::testing::PrintToString(arguments));
      const auto result = run(arguments);
      EXPECT_EQ(result.exitCode, 64);
      EXPECT_EQ(result.err,
                "Error: " + c.message + "\nRun 'duvendal --help' for more information.\n");
    }
  }
}

TEST_F(CliTest, CheckWritesOnePageAndNeverOverAnInput) {
  const auto result = run({"check", "--html", "report.html", "examples/sub01_task.sdm",
                           "examples/bad/sub01_task_motion_broken.sdm"});
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_NE(text("report.html").find("sub01_task_motion_broken.sdm"), std::string::npos);
  const auto refused =
      run({"check", "--html", "examples/sub01_task.sdm", "examples/sub01_task.sdm"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err,
            "Error: the output examples/sub01_task.sdm would overwrite the input "
            "examples/sub01_task.sdm\n");
  const auto unwritable =
      run({"check", "--html", "no/such/folder/report.html", "examples/sub01_task.sdm"});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_EQ(unwritable.err, "Error: Cannot Create file: no/such/folder/report.html\n");
}

TEST_F(CliTest, CorrAndMergesWriteAPagePerResultIntoTheHtmlFolder) {
  const auto corr = run({"corr", "--html", "pages", "examples/sub01_task.sdm",
                         "examples/bad/sub01_task_motion_broken.sdm"});
  EXPECT_EQ(corr.exitCode, 0);
  EXPECT_EQ(corr.err,
            "Duvendal>  Saved Correlatios to examples/sub01_task.csv\n"
            "Duvendal>  Saved pages/sub01_task.html\n"
            "Duvendal>  Saved Correlatios to examples/bad/sub01_task_motion_broken.csv\n"
            "Duvendal>  Saved pages/sub01_task_motion_broken.html\n");
  EXPECT_TRUE(exists("pages/sub01_task.html"));
  EXPECT_TRUE(exists("pages/sub01_task_motion_broken.html"));
  const auto merge =
      run({"merge-all", "-q", "--primary", "examples/sub01_task.sdm", "--out-dir", "out", "--html",
           "out/pages", "examples/sub01_motion_run1.sdm", "examples/sub01_physio.rtc"});
  EXPECT_EQ(merge.exitCode, 0) << merge.err;
  EXPECT_TRUE(exists("out/pages/sub01_task_motion_run1.html"));
  EXPECT_TRUE(exists("out/pages/sub01_task_physio.html"));
  EXPECT_EQ(
      std::distance(fs::directory_iterator(dir_.path() / "out/pages"), fs::directory_iterator()),
      2);
  const auto clash = run({"merge-sec", "--html", "examples", "--out-dir", "elsewhere",
                          "examples/sub01_task.sdm", "examples/sub01_physio.rtc"});
  EXPECT_EQ(clash.exitCode, 0) << clash.err;
  EXPECT_TRUE(exists("examples/sub01_task_physio.html"));
}

}  // namespace
}  // namespace duv
