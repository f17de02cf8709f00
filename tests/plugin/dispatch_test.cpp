// What execute does with each task word in the emulated host: the two file choosers, the busy
// cursor, refusals, and failures shown in the message box.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/host_session.h"
#include "tests/plugin/study_folder.h"

namespace duv::testing {
namespace {

using Lines = std::vector<std::string>;

HostRun runTask(const std::string& task, const Lines& settings = {}) {
  Lines script = settings;
  script.insert(script.end(), {"string task " + escaped(task), "create", "init", "execute"});
  return runHost(script);
}

std::string taskRead(const std::string& task) {
  return R"(znGetStringParameter("task") -> ")" + task + "\"";
}

TEST(Dispatch, ExecuteBeforeInitialisationCallsNothing) {
  const HostRun run = runHost({"string task open_sdm", "create", "execute"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, (Lines{"createPlugin()", "execute()", "execute returned false"}));
}

TEST(Dispatch, SdmChooserHandsTheChosenPathToTheDialog) {
  const HostRun run = runTask("open_sdm", {"open /data/run 1.sdm"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(
      executeRecord(run.record),
      (Lines{
          "execute()", taskRead("open_sdm"),
          R"x(znGetOpenFileName("Select an SDM", "", "Design Matrix (*.sdm)") -> "/data/run 1.sdm")x",
          R"(znSetStringParameter("sdmfile", "/data/run 1.sdm"))", "execute returned true"}));
}

TEST(Dispatch, CancelledChooserHandsTheEmptyTextEvenAfterAnEarlierChoice) {
  const HostRun run = runHost({"string task open_sdm_rtc", "open /data/a.rtc", "open-cancel",
                               "create", "init", "execute", "execute"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const std::string dialog =
      R"x(znGetOpenFileName("Select an SDM or RTC:", "", "Design Matrix (*.sdm *.rtc)"))x";
  EXPECT_EQ(executeRecord(run.record),
            (Lines{"execute()", taskRead("open_sdm_rtc"), dialog + R"( -> "/data/a.rtc")",
                   R"(znSetStringParameter("sdmfile", "/data/a.rtc"))", "execute returned true",
                   "execute()", taskRead("open_sdm_rtc"), dialog + " -> cancelled",
                   R"(znSetStringParameter("sdmfile", ""))", "execute returned true"}));
}

TEST(Dispatch, OtherTaskWordsOnlyShowTheBusyCursor) {
  for (const std::string task :
       {"", "open_sdm ", "Open_sdm", "open_sdm_rtcx", "OPEN_SDM_RTC", "mergeAll", "sdm1corr\n"}) {
    const HostRun run = runTask(task);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(
        executeRecord(run.record),
        (Lines{"execute()",
               R"(znGetStringParameter("task") -> )" + std::string("\"") + escaped(task) + "\"",
               "znShowBusyCursor()", "znStopBusyCursor()", "execute returned true"}))
        << "task \"" << task << "\"";
  }
}

TEST(Dispatch, TaskRefusedWithoutFurtherCallWhenTheHostLacksWhatItNeeds) {
  for (const std::string task : {"open_sdm", "open_sdm_rtc", "sdm1corr", "mergeall", "mergesec"}) {
    const HostRun run =
        runHost(BuiltFiles::sparseHost, {"string task " + task, "create", "init", "execute"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(run.record, (Lines{"createPlugin()", "initPlugin()",
                                 "znGetVersionOfHalvernZN() -> 2.8.0", "initPlugin returned true",
                                 "execute()", taskRead(task), "execute returned false"}))
        << task;
  }
}

TEST(Dispatch, OtherTaskRunsWithoutBusyCursorWhenTheHostHasNone) {
  const HostRun run =
      runHost(BuiltFiles::sparseHost, {"string task nothing", "create", "init", "execute"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, (Lines{"createPlugin()", "initPlugin()",
                               "znGetVersionOfHalvernZN() -> 2.8.0", "initPlugin returned true",
                               "execute()", taskRead("nothing"), "execute returned true"}));
}

// Texts that the host copies into the plug-in's buffers: a path or a parameter gets 4096
// bytes with its terminator, the list of secondary files 65536.
TEST(HostBuffers, TaskOfTheLargestSizeIsReadWhole) {
  const std::string task(4095, 't');
  const HostRun run = runTask(task);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(executeRecord(run.record), (Lines{"execute()", taskRead(task), "znShowBusyCursor()",
                                              "znStopBusyCursor()", "execute returned true"}));
}

TEST(HostBuffers, TaskTooLongIsRefusedAndNothingRuns) {
  const std::string task(4096, 't');
  const HostRun run = runTask(task);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(
      executeRecord(run.record),
      (Lines{
          "execute()", taskRead(task),
          R"(znMessageBox("Error: The value of the dialog parameter \"task\" is longer than 4095 bytes"))",
          "execute returned true"}));
}

TEST(HostBuffers, ChosenPathOfTheLargestSizeReachesTheDialog) {
  const std::string path = "/" + std::string(4094, 'p');
  const HostRun run = runTask("open_sdm", {"open " + path});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 5U);
  EXPECT_EQ(record[3], R"(znSetStringParameter("sdmfile", ")" + path + "\")");
}

TEST(HostBuffers, ChosenPathTooLongIsRefused) {
  const std::string path = "/" + std::string(4095, 'p');
  const HostRun run = runTask("open_sdm", {"open " + path});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 5U);
  EXPECT_EQ(
      record[3],
      R"(znMessageBox("Error: The path chosen in the dialog \"Select an SDM\" is longer than 4095 bytes"))");
  EXPECT_EQ(record[4], "execute returned true");
}

}  // namespace
}  // namespace duv::testing
