// The task "sdm1corr" in the emulated host on the example study.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/host_session.h"
#include "tests/plugin/study_folder.h"

namespace duv::testing {
namespace {

using Lines = std::vector<std::string>;

HostRun runCorrelation(const std::string& sdm1) {
  return runHost(
      {"string task sdm1corr", "string sdm1 " + escaped(sdm1), "create", "init", "execute"});
}

TEST(CorrelateSdm, WritesReportAndTableAndLogsTheTable) {
  const StudyFolder study;
  const HostRun run = runCorrelation(study.file("sub01_task.sdm"));
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(executeRecord(run.record),
            (Lines{"execute()", stringRead("task", "sdm1corr"), "znShowBusyCursor()",
                   stringRead("sdm1", study.file("sub01_task.sdm")),
                   logged("Saved Correlatios to " + study.file("sub01_task.csv")),
                   "znStopBusyCursor()", "execute returned true"}));
  EXPECT_TRUE(study.exists("sub01_task.txt"));
  EXPECT_TRUE(study.exists("sub01_task.csv"));
}

TEST(CorrelateSdm, EmptyPathFailsAfterTheBusyCursorIsGoneWithOneMessage) {
  const HostRun run = runCorrelation("");
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(executeRecord(run.record),
            (Lines{"execute()", stringRead("task", "sdm1corr"), "znShowBusyCursor()",
                   stringRead("sdm1", ""), "znStopBusyCursor()",
                   messageBox("Error: Failed opening for reading: "), "execute returned true"}));
}

TEST(CorrelateSdm, PluginStaysUsableAfterAFailure) {
  const StudyFolder study;
  const HostRun run =
      runHost({"string task sdm1corr", "create", "init", "execute",
               "string sdm1 " + escaped(study.file("sub01_physio.rtc")), "execute"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_EQ(record.size(), 14U);
  EXPECT_EQ(record[6], "execute returned true");
  // The path is taken whatever its extension; the time-course file is no design matrix.
  EXPECT_EQ(record[7], "execute()");
  EXPECT_EQ(record[12].rfind("znMessageBox(\"Error: ", 0), 0U) << record[12];
  EXPECT_EQ(record[13], "execute returned true");
}

}  // namespace
}  // namespace duv::testing
