// The tasks "mergeall" and "mergesec" run in the emulated host on the example study: the host
// calls they make, the files they write, and how they stop.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "numerics/column_statistics.h"
#include "tests/plugin/host_session.h"
#include "tests/plugin/study_folder.h"

namespace duv::testing {
namespace {

using Lines = std::vector<std::string>;

const std::string startAll = "Start merging process of primary with every secondary sdm";
const std::string startSecondary = "Start merging process of all secondary sdms";

struct Options {
  int ztans = 0;
  int baseline = 0;
  int allcorr = 0;
};

std::string describe(const Options& options) {
  return "ztans " + std::to_string(options.ztans) + ", baseline " +
         std::to_string(options.baseline) + ", allcorr " + std::to_string(options.allcorr);
}

std::string joinedLines(const Lines& paths) {
  std::string list;
  for (const std::string& path : paths) list += (list.empty() ? "" : "\n") + path;
  return list;
}

// A session that sets the dialog parameters, queues the save answers (empty: cancel) and
// executes `task` once.
Lines mergeScript(const std::string& task, const Options& options, const std::string& sdms2,
                  const std::string& sdm1, const Lines& saveAnswers) {
  Lines script = {"string task " + task,
                  "string sdms2 " + escaped(sdms2),
                  "string sdm1 " + escaped(sdm1),
                  "int ztans " + std::to_string(options.ztans),
                  "int baseline " + std::to_string(options.baseline),
                  "int allcorr " + std::to_string(options.allcorr)};
  for (const std::string& answer : saveAnswers) {
    script.push_back(answer.empty() ? "save-cancel" : "save " + escaped(answer));
  }
  script.insert(script.end(), {"create", "init", "execute"});
  return script;
}

Lines optionReads(const Options& options) {
  return {intRead("ztans", options.ztans), intRead("baseline", options.baseline),
          intRead("allcorr", options.allcorr)};
}

Lines concatenated(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const Options allOptionCombinations[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                                         {1, 1, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};

// What each option visibly does to a saved result: "baseline" decides whether it ends with a
// constant, "ztans" whether its non-constant confounds are standardised.
void expectOptionsApplied(const DesignMatrix& result, const Options& options,
                          const std::vector<float>& firstConfoundAsRead) {
  EXPECT_EQ(lastColumnIsConstant(result), options.baseline != 0);
  const auto first = static_cast<std::size_t>(result.firstConfoundPredictor.value - 1);
  ASSERT_LT(first, result.values.size());
  const std::vector<float>& confound = result.values[first];
  if (options.ztans != 0) {
    const MeanAndDeviation statistics = meanAndDeviation(confound);
    EXPECT_NEAR(statistics.mean, 0.0F, 1e-5F);
    EXPECT_NEAR(statistics.deviation, 1.0F, 1e-4F);
  } else {
    EXPECT_EQ(confound, firstConfoundAsRead);
  }
}

TEST(MergeAll, EveryOptionCombinationSavesOneResultPerSecondary) {
  for (const Options& options : allOptionCombinations) {
    SCOPED_TRACE(describe(options));
    const StudyFolder study;
    const std::string sdms2 =
        joinedLines({study.file("sub01_motion_run1.sdm"), study.file("sub01_physio.rtc")});
    const HostRun run =
        runHost(mergeScript("mergeall", options, sdms2, study.file("sub01_task.sdm"),
                            {study.file("result_a.sdm"), study.file("result_b.sdm")}));
    ASSERT_EQ(run.exitStatus, 0) << run.output;

    EXPECT_EQ(
        executeRecord(run.record),
        concatenated(
            {{"execute()", stringRead("task", "mergeall"), "znShowBusyCursor()", logged(startAll)},
             optionReads(options),
             {stringRead("sdms2", sdms2), stringRead("sdm1", study.file("sub01_task.sdm")),
              saveDialog(study.file("sub01_task_motion_run1.sdm"), study.file("result_a.sdm")),
              logged("Saved " + study.file("result_a.sdm")),
              saveDialog(study.file("sub01_task_physio.sdm"), study.file("result_b.sdm")),
              logged("Saved " + study.file("result_b.sdm")), "znStopBusyCursor()",
              "execute returned true"}}));

    const auto motion = readSdmFile(study.file("sub01_motion_run1.sdm"), realFileSystem());
    const auto resultA = readSdmFile(study.file("result_a.sdm"), realFileSystem());
    // The task's four conditions, the six motion courses, and the constant when asked for.
    EXPECT_EQ(resultA.nrOfPredictors.value, options.baseline != 0 ? 11 : 10);
    EXPECT_EQ(resultA.firstConfoundPredictor.value, 5);
    expectOptionsApplied(resultA, options, motion.values[0]);
    const auto resultB = readSdmFile(study.file("result_b.sdm"), realFileSystem());
    EXPECT_EQ(resultB.nrOfPredictors.value, options.baseline != 0 ? 7 : 6);

    for (const std::string name : {"result_a", "result_b"}) {
      EXPECT_EQ(study.exists(name + ".txt"), options.allcorr != 0) << name;
      EXPECT_EQ(study.exists(name + ".csv"), options.allcorr != 0) << name;
    }
  }
}

TEST(MergeSec, EveryOptionCombinationSavesOneResultOfAllSecondaries) {
  for (const Options& options : allOptionCombinations) {
    SCOPED_TRACE(describe(options));
    const StudyFolder study;
    const std::string sdms2 =
        joinedLines({study.file("sub01_motion_run1.sdm"), study.file("sub01_motion_run2.sdm"),
                     study.file("sub01_drift.rtc")});
    const HostRun run =
        runHost(mergeScript("mergesec", options, sdms2, "", {study.file("all.sdm")}));
    ASSERT_EQ(run.exitStatus, 0) << run.output;

    EXPECT_EQ(executeRecord(run.record),
              concatenated({{"execute()", stringRead("task", "mergesec"), "znShowBusyCursor()",
                             logged(startSecondary)},
                            optionReads(options),
                            {stringRead("sdms2", sdms2),
                             saveDialog(study.file("sub01_motion_run1_run2_drift.sdm"),
                                        study.file("all.sdm")),
                             logged("Saved " + study.file("all.sdm")), "znStopBusyCursor()",
                             "execute returned true"}}));

    const auto motion = readSdmFile(study.file("sub01_motion_run1.sdm"), realFileSystem());
    const auto result = readSdmFile(study.file("all.sdm"), realFileSystem());
    EXPECT_EQ(result.nrOfPredictors.value, options.baseline != 0 ? 15 : 14);
    expectOptionsApplied(result, options, motion.values[0]);
    EXPECT_EQ(study.exists("all.txt"), options.allcorr != 0);
    EXPECT_EQ(study.exists("all.csv"), options.allcorr != 0);
  }
}

TEST(MergeAll, CancelledSaveDialogSkipsOnlyThatResult) {
  const StudyFolder study;
  const std::string sdms2 =
      joinedLines({study.file("sub01_motion_run1.sdm"), study.file("sub01_motion_run2.sdm")});
  const HostRun run = runHost(mergeScript(
      "mergeall", {0, 0, 1}, sdms2, study.file("sub01_task.sdm"), {"", study.file("second.sdm")}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 14U);
  EXPECT_EQ(Lines(record.begin() + 9, record.end()),
            (Lines{cancelledSaveDialog(study.file("sub01_task_motion_run1.sdm")),
                   saveDialog(study.file("sub01_task_motion_run2.sdm"), study.file("second.sdm")),
                   logged("Saved " + study.file("second.sdm")), "znStopBusyCursor()",
                   "execute returned true"}));
  EXPECT_FALSE(study.exists("sub01_task_motion_run1.sdm"));
  EXPECT_FALSE(study.exists("sub01_task_motion_run1.txt"));
  EXPECT_TRUE(study.exists("second.sdm"));
  EXPECT_TRUE(study.exists("second.txt"));
  EXPECT_TRUE(study.exists("second.csv"));
}

TEST(MergeSec, EveryCancelledSaveDialogWritesNothing) {
  const StudyFolder study;
  const std::string sdms2 =
      joinedLines({study.file("sub01_motion_run1.sdm"), study.file("sub01_motion_run2.sdm")});
  const HostRun run = runHost(mergeScript("mergesec", {1, 1, 1}, sdms2, "", {""}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 11U);
  EXPECT_EQ(record[8], cancelledSaveDialog(study.file("sub01_motion_run1_run2.sdm")));
  EXPECT_EQ(record[10], "execute returned true");
  EXPECT_FALSE(study.exists("sub01_motion_run1_run2.sdm"));
}

// The counts differ: the message names the differing matrix, then the first secondary one;
// nothing is merged or saved, the primary is not even read, and execute returns false.
TEST(MergeAll, SecondaryWithOtherDataPointCountIsNamedAndStopsTheMerge) {
  const StudyFolder study;
  const std::string sdms2 =
      joinedLines({study.file("sub01_motion_run1.sdm"), study.file("sub01_motion_run2.sdm"),
                   study.file("sub01_motion_short.sdm")});
  const HostRun run = runHost(mergeScript("mergeall", {}, sdms2, study.file("sub01_task.sdm"), {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(executeRecord(run.record),
            concatenated({{"execute()", stringRead("task", "mergeall"), "znShowBusyCursor()",
                           logged(startAll)},
                          optionReads({}),
                          {stringRead("sdms2", sdms2),
                           messageBox("sub01_motion_short.sdm does not have the same number of "
                                      "data points as sub01_motion_run1.sdm"),
                           "znStopBusyCursor()", "execute returned false"}}));
}

TEST(MergeAll, PrimaryWithOtherDataPointCountIsNamedFirst) {
  const StudyFolder study;
  const std::string sdms2 = study.file("sub01_physio.rtc");
  const HostRun run =
      runHost(mergeScript("mergeall", {}, sdms2, study.file("sub01_motion_short.sdm"), {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 12U);
  EXPECT_EQ(Lines(record.begin() + 8, record.end()),
            (Lines{stringRead("sdm1", study.file("sub01_motion_short.sdm")),
                   messageBox("sub01_motion_short.sdm does not have the same number of data "
                              "points as sub01_physio.sdm"),
                   "znStopBusyCursor()", "execute returned false"}));
}

TEST(MergeSec, TimeCourseWithOtherDataPointCountIsNamedAsItsDesignMatrix) {
  const StudyFolder study;
  writeText(study.file("short.rtc"), "NrOfRTCs: 1\nNrOfDataPoints: 3\n\n1\n2\n3\n");
  const std::string sdms2 = joinedLines({study.file("sub01_drift.rtc"), study.file("short.rtc")});
  const HostRun run = runHost(mergeScript("mergesec", {}, sdms2, "", {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 11U);
  EXPECT_EQ(record[8], messageBox("short.sdm does not have the same number of data points as "
                                  "sub01_drift.sdm"));
  EXPECT_EQ(record[10], "execute returned false");
}

// An error ends the task: the busy cursor goes, then one message box tells it.
Lines failedTaskEnd(const std::string& message) {
  return {"znStopBusyCursor()", messageBox("Error: " + message), "execute returned true"};
}

TEST(MergeAll, ListWithoutEntriesHasNoSecondaries) {
  const StudyFolder study;
  const HostRun run = runHost(mergeScript("mergeall", {}, "", study.file("sub01_task.sdm"), {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(executeRecord(run.record),
            concatenated({{"execute()", stringRead("task", "mergeall"), "znShowBusyCursor()",
                           logged(startAll)},
                          optionReads({}),
                          {stringRead("sdms2", "")},
                          failedTaskEnd("No secondary SDMs available")}));
}

TEST(MergeSec, ListNamingNoDesignMatrixHasNoSecondaries) {
  const StudyFolder study;
  writeText(study.file("notes.txt"), "not a design matrix\n");
  const std::string sdms2 = joinedLines({study.file("notes.txt"), "", study.file("RUN.SDM")});
  const HostRun run = runHost(mergeScript("mergesec", {}, sdms2, "", {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 11U);
  EXPECT_EQ(Lines(record.begin() + 8, record.end()), failedTaskEnd("No secondary SDMs available"));
}

// Only the command-line tool reads the confound files of other tools; the dialog skips them.
TEST(MergeSec, ConfoundFilesOfOtherToolsAreNotDesignMatrices) {
  const StudyFolder study;
  writeText(study.file("run1_desc-confounds_timeseries.tsv"), "csf\n1\n2\n");
  writeText(study.file("run1_mcf.par"), "1 2\n3 4\n");
  const std::string sdms2 =
      joinedLines({study.file("run1_desc-confounds_timeseries.tsv"), study.file("run1_mcf.par")});
  const HostRun run = runHost(mergeScript("mergesec", {}, sdms2, "", {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 11U);
  EXPECT_EQ(Lines(record.begin() + 8, record.end()), failedTaskEnd("No secondary SDMs available"));
}

TEST(MergeSec, OneListedFileIsNotEnough) {
  const StudyFolder study;
  const HostRun run =
      runHost(mergeScript("mergesec", {}, study.file("sub01_motion_run1.sdm"), "", {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 11U);
  EXPECT_EQ(Lines(record.begin() + 8, record.end()),
            failedTaskEnd("Not enough secondary SDMs available"));
}

TEST(MergeAll, MissingPrimaryIsAnError) {
  const StudyFolder study;
  const HostRun run = runHost(mergeScript("mergeall", {}, study.file("sub01_motion_run1.sdm"),
                                          study.file("missing.sdm"), {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 12U);
  EXPECT_EQ(Lines(record.begin() + 9, record.end()),
            failedTaskEnd("Failed opening for reading: " + study.file("missing.sdm")));
}

// A study of many runs in a deep folder: the list of secondary files is far longer than a
// path, and longer than the 3008 bytes that a fixed buffer of the dialog's size would hold.
TEST(HostBuffers, LongListOfSecondaryFilesIsReadWhole) {
  const StudyFolder study;
  const std::string folder = study.file(std::string(120, 'f'));
  std::filesystem::create_directory(folder);
  const std::string motion = readText(study.file("sub01_motion_run1.sdm"));
  Lines paths;
  for (int run = 1; run <= 30; ++run) {
    paths.push_back(folder + "/sub01_motion_run" + std::to_string(100 + run) + ".sdm");
    writeText(paths.back(), motion);
  }
  const std::string sdms2 = joinedLines(paths);
  ASSERT_GT(sdms2.size(), 4096U);

  const HostRun run = runHost(mergeScript("mergesec", {}, sdms2, "", {study.file("all.sdm")}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 12U);
  EXPECT_EQ(record[7], stringRead("sdms2", sdms2));
  EXPECT_EQ(record[9], logged("Saved " + study.file("all.sdm")));
  EXPECT_EQ(readSdmFile(study.file("all.sdm"), realFileSystem()).nrOfPredictors.value, 30 * 6);
}

TEST(HostBuffers, ListOfTheLargestSizeIsReadWhole) {
  const StudyFolder study;
  std::string sdms2 =
      joinedLines({study.file("sub01_motion_run1.sdm"), study.file("sub01_motion_run2.sdm")});
  sdms2.resize(65535, '\n');
  const HostRun run = runHost(mergeScript("mergesec", {}, sdms2, "", {study.file("all.sdm")}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_TRUE(study.exists("all.sdm"));
}

TEST(HostBuffers, ListTooLongIsRefusedBeforeAnyFileIsRead) {
  const StudyFolder study;
  std::string sdms2 = study.file("missing.sdm");
  sdms2.resize(65536, '\n');
  const HostRun run = runHost(mergeScript("mergesec", {}, sdms2, "", {}));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 11U);
  EXPECT_EQ(Lines(record.begin() + 8, record.end()),
            failedTaskEnd("The value of the dialog parameter \"sdms2\" is longer than 65535 "
                          "bytes"));
}

}  // namespace
}  // namespace duv::testing
