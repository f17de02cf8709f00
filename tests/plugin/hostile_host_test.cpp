// The plug-in under a host that misbehaves: texts longer than the plug-in's rooms (copied in
// without a size, but ending within the guard behind each room), a save path in a folder that
// does not exist, and hosts that export only some of the functions the plug-in calls. Each task
// ends with the plug-in's own message, or is refused, and the host process survives. The
// sanitizer build runs the same sessions.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/plugin/host_session.h"
#include "tests/plugin/study_folder.h"

namespace duv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kQuietHost = DUVENDAL_QUIET_HOST;
const std::string kNoSaveDialogHost = DUVENDAL_NO_SAVE_DIALOG_HOST;

Lines filesIn(const StudyFolder& study) {
  Lines names;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(study.file("")))) {
    names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

long countOf(const Lines& record, const std::string& line) {
  return std::count(record.begin(), record.end(), line);
}

struct OverlongCase {
  std::string name;
  Lines settings;  // script lines before "create"
  std::string message;
};

TEST(HostileHost, TextsLongerThanTheRoomsAreRefusedWithTheirNames) {
  const StudyFolder study;
  const std::string sdm = escaped(study.file("sub01_task.sdm"));
  const std::string motion = escaped(study.file("sub01_motion_run1.sdm"));
  const std::string overlongPath = "/" + std::string(4096 + 60000, 'p');
  const OverlongCase cases[] = {
      {"primary of the correlation task",
       {"string task sdm1corr", "string sdm1 " + overlongPath},
       "Error: The value of the dialog parameter \"sdm1\" is longer than 4095 bytes"},
      {"primary of a merge",
       {"string task mergeall", "string sdms2 " + motion, "string sdm1 " + overlongPath},
       "Error: The value of the dialog parameter \"sdm1\" is longer than 4095 bytes"},
      {"list of secondary files",
       {"string task mergesec", "string sdms2 " + motion + std::string(65536 + 60000, 'x')},
       "Error: The value of the dialog parameter \"sdms2\" is longer than 65535 bytes"},
      {"path chosen in the save dialog",
       {"string task mergeall", "string sdms2 " + motion, "string sdm1 " + sdm,
        "save " + overlongPath},
       "Error: The path chosen in the dialog \"Choose a name for saving the resulting SDM\" is "
       "longer than 4095 bytes"},
      {"path chosen in the open dialog",
       {"string task open_sdm_rtc", "open " + overlongPath},
       "Error: The path chosen in the dialog \"Select an SDM or RTC:\" is longer than 4095 "
       "bytes"},
  };
  const Lines before = filesIn(study);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Lines script = c.settings;
    script.insert(script.end(), {"create", "init", "execute", "destroy"});
    const HostRun run = runHost(script);
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(countOf(run.record, "znMessageBox(\"" + escaped(c.message) + "\")"), 1);
    EXPECT_EQ(countOf(run.record, "execute returned true"), 1);
    EXPECT_EQ(countOf(run.record, "znShowBusyCursor()"), countOf(run.record, "znStopBusyCursor()"));
    EXPECT_EQ(filesIn(study), before);
  }
}

TEST(HostileHost, SavePathInAMissingFolderIsAnErrorNamingIt) {
  const StudyFolder study;
  const std::string target = study.file("missing/folder/result.sdm");
  const HostRun run = runHost(
      {"string task mergeall", "string sdms2 " + escaped(study.file("sub01_motion_run1.sdm")),
       "string sdm1 " + escaped(study.file("sub01_task.sdm")), "int allcorr 1",
       "save " + escaped(target), "create", "init", "execute", "destroy"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const Lines record = executeRecord(run.record);
  ASSERT_GE(record.size(), 3U);
  EXPECT_EQ(record[record.size() - 6], "znStopBusyCursor()");
  EXPECT_EQ(record[record.size() - 5], messageBox("Error: Cannot Create file: " + target));
  EXPECT_EQ(record[record.size() - 4], "execute returned true");
  EXPECT_FALSE(fs::exists(study.file("missing")));
}

TEST(HostileHost, HostWithoutLogAndBusyCursorGetsEveryTaskDoneUnseen) {
  const StudyFolder study;
  const HostRun run = runHost(
      kQuietHost, {"string task mergeall",
                   "string sdms2 " + escaped(study.file("sub01_motion_run1.sdm") + "\n" +
                                             study.file("sub01_physio.rtc")),
                   "string sdm1 " + escaped(study.file("sub01_task.sdm")), "int allcorr 1",
                   "save " + escaped(study.file("a.sdm")), "save " + escaped(study.file("b.sdm")),
                   "create", "init", "execute", "string task sdm1corr", "execute", "destroy"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(countOf(run.record, "execute returned true"), 2);
  for (const auto& line : run.record) {
    EXPECT_EQ(line.find("znLogText"), std::string::npos) << line;
    EXPECT_EQ(line.find("BusyCursor"), std::string::npos) << line;
    EXPECT_EQ(line.find("znShowLogTab"), std::string::npos) << line;
    EXPECT_EQ(line.find("znMessageBox"), std::string::npos) << line;
  }
  for (const char* name :
       {"a.sdm", "a.txt", "a.csv", "b.sdm", "b.txt", "b.csv", "sub01_task.txt", "sub01_task.csv"}) {
    EXPECT_TRUE(study.exists(name)) << name;
  }
}

TEST(HostileHost, HostWithoutSaveDialogIsRefusedMergesButCorrelates) {
  const StudyFolder study;
  const Lines before = filesIn(study);
  for (const std::string task : {"mergeall", "mergesec"}) {
    const HostRun run = runHost(
        kNoSaveDialogHost, {"string task " + task,
                            "string sdms2 " + escaped(study.file("sub01_motion_run1.sdm") + "\n" +
                                                      study.file("sub01_motion_run2.sdm")),
                            "string sdm1 " + escaped(study.file("sub01_task.sdm")), "create",
                            "init", "execute", "destroy"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    const Lines record = executeRecord(run.record);
    ASSERT_GE(record.size(), 3U) << task;
    EXPECT_EQ(Lines(record.begin(), record.begin() + 3),
              (Lines{"execute()", stringRead("task", task), "execute returned false"}));
  }
  EXPECT_EQ(filesIn(study), before);

  const HostRun run =
      runHost(kNoSaveDialogHost,
              {"string task sdm1corr", "string sdm1 " + escaped(study.file("sub01_task.sdm")),
               "create", "init", "execute", "destroy"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(countOf(run.record, "execute returned true"), 1);
  EXPECT_TRUE(study.exists("sub01_task.csv"));
}

}  // namespace
}  // namespace duv::testing
