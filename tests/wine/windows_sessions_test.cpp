// The Windows plug-in in the Windows emulated host, under Wine, side by side with the Linux
// build: the same calls into the host, the same log messages, and output files that differ only
// in their CR LF line ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/plugin/host_session.h"
#include "tests/plugin/study_folder.h"
#include "tests/support/temp_dir.h"
#include "tests/wine/windows_programs.h"

namespace duv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const Lines lifeCycle = {"create", "init", "execute", "destroy"};

struct SessionCase {
  const char* name;
  std::string linuxHost;
  std::string windowsHost;
  bool withHalvernModule;
  Lines script;
  std::string expectedLine;  // one line that the record must hold
};

TEST(WindowsSessions, HostsAreBoundAndToldAsOnLinux) {
  const std::string running = R"(znLogText("\nDuvendal>  Running..."))";
  const SessionCase cases[] = {
      {"executable HalvernZN.exe", BuiltFiles::halvernZnHost, WindowsFiles::halvernZnHost, false,
       lifeCycle, running},
      {"executable Halvern.exe", BuiltFiles::halvernHost, WindowsFiles::halvernHost, false,
       lifeCycle, running},
      {"module Halvern.exe beside HalvernZN.exe", BuiltFiles::halvernZnHost,
       WindowsFiles::halvernZnHost, true, lifeCycle,
       R"([Halvern.exe] znLogText("\nDuvendal>  Running..."))"},
      {"module Halvern.exe in another executable", BuiltFiles::otherHost, WindowsFiles::otherHost,
       true, lifeCycle, "[Halvern.exe] znShowLogTab()"},
      {"neither", BuiltFiles::otherHost, WindowsFiles::otherHost, false, lifeCycle,
       "initPlugin returned false"},
      {"a host exporting its version only", BuiltFiles::versionOnlyHost,
       WindowsFiles::versionOnlyHost, false, lifeCycle, "execute returned false"},
      {"version 2.7.99",
       BuiltFiles::halvernZnHost,
       WindowsFiles::halvernZnHost,
       false,
       {"version 2 7 99", "create", "init", "destroy"},
       R"(znMessageBox("Can not execute this plugin - HalvernZN version 2.8 or higher required."))"},
      {"version 2.10.0",
       BuiltFiles::halvernZnHost,
       WindowsFiles::halvernZnHost,
       false,
       {"version 2 10 0", "create", "init", "destroy"},
       "initPlugin returned true"},
      {"version 3.0.0",
       BuiltFiles::halvernZnHost,
       WindowsFiles::halvernZnHost,
       false,
       {"version 3 0 0", "create", "init", "destroy"},
       "initPlugin returned true"},
      {"information",
       BuiltFiles::halvernZnHost,
       WindowsFiles::halvernZnHost,
       false,
       {"info"},
       R"(getGUIScript() returned "Duvendal.js")"},
  };
  for (const SessionCase& session : cases) {
    SCOPED_TRACE(session.name);
    const Lines linuxOptions =
        session.withHalvernModule ? Lines{"--host-module", BuiltFiles::halvernModule} : Lines{};
    const Lines windowsOptions =
        session.withHalvernModule ? Lines{"--host-module", windowsPath(WindowsFiles::halvernModule)}
                                  : Lines{};
    const HostRun onLinux = runHost(session.linuxHost, session.script, linuxOptions);
    const HostRun onWindows = runWindowsHost(session.windowsHost, session.script, windowsOptions);
    ASSERT_EQ(onLinux.exitStatus, 0) << onLinux.output;
    ASSERT_EQ(onWindows.exitStatus, 0) << onWindows.output;
    EXPECT_EQ(onWindows.record, onLinux.record);
    EXPECT_NE(std::find(onWindows.record.begin(), onWindows.record.end(), session.expectedLine),
              onWindows.record.end());
  }
}

// Every occurrence of `from` in `text` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// A task run in both builds, each on its own copy of the study, with the study's paths spelled
// as each platform spells them.
class TaskOnBothPlatforms : public ::testing::Test {
 protected:
  // `script(folder, separator)` gives the script for a study folder and its path separator.
  template <typename ScriptFor>
  void run(const ScriptFor& script) {
    onLinux_ = runHost(BuiltFiles::halvernZnHost, script(linuxStudy_.path().string(), "/"));
    onWindows_ = runWindowsHost(WindowsFiles::halvernZnHost,
                                script(windowsPath(windowsStudy_.path().string()), "\\"));
    ASSERT_EQ(onLinux_.exitStatus, 0) << onLinux_.output;
    ASSERT_EQ(onWindows_.exitStatus, 0) << onWindows_.output;
  }

  // The Linux record, with the Linux study's paths spelled as in the Windows record.
  Lines linuxRecordWithWindowsPaths() const {
    const std::string linuxFolder = escaped(linuxStudy_.path().string() + "/");
    const std::string windowsFolder = escaped(windowsPath(windowsStudy_.path().string()) + "\\");
    Lines record;
    for (const auto& line : onLinux_.record) {
      record.push_back(replaced(line, linuxFolder, windowsFolder));
    }
    return record;
  }

  // Each file written by the Windows build ends its lines with CR LF and is otherwise the
  // Linux build's file.
  void expectSameFilesWithCrLf(const Lines& names) const {
    for (const auto& name : names) {
      SCOPED_TRACE(name);
      ASSERT_TRUE(linuxStudy_.exists(name));
      ASSERT_TRUE(windowsStudy_.exists(name));
      const std::string linuxText = readText(linuxStudy_.file(name));
      const std::string windowsText = readText(windowsStudy_.file(name));
      EXPECT_EQ(linuxText.find('\r'), std::string::npos);
      EXPECT_TRUE(hasOnlyCrLfLineEnds(windowsText));
      EXPECT_TRUE(withLfLineEnds(windowsText) == linuxText);
    }
  }

  StudyFolder linuxStudy_;
  StudyFolder windowsStudy_;
  HostRun onLinux_;
  HostRun onWindows_;
};

TEST_F(TaskOnBothPlatforms, MergeAllWithEveryOptionWritesTheLinuxBytesWithCrLfLineEnds) {
  const Lines merged = {"sub01_task_motion_run1", "sub01_task_motion_run3", "sub01_task_physio",
                        "sub01_task_drift"};
  run([&](const std::string& folder, const std::string& separator) {
    const auto path = [&](const std::string& name) { return folder + separator + name; };
    const std::string secondaries = path("sub01_motion_run1.sdm") + "\n" +
                                    path("sub01_motion_run3.sdm") + "\n" +
                                    path("sub01_physio.rtc") + "\n" + path("sub01_drift.rtc");
    Lines script = {"string task mergeall",
                    "string sdms2 " + escaped(secondaries),
                    "string sdm1 " + escaped(path("sub01_task.sdm")),
                    "int ztans 1",
                    "int baseline 1",
                    "int allcorr 1"};
    for (const auto& name : merged) script.push_back("save " + escaped(path(name + ".sdm")));
    script.insert(script.end(), lifeCycle.begin(), lifeCycle.end());
    return script;
  });
  EXPECT_EQ(onWindows_.record, linuxRecordWithWindowsPaths());
  Lines written;
  for (const auto& name : merged) {
    for (const char* extension : {".sdm", ".txt", ".csv"}) written.push_back(name + extension);
  }
  expectSameFilesWithCrLf(written);
}

TEST_F(TaskOnBothPlatforms, CorrelationTaskWritesTheLinuxBytesBesideTheMatrix) {
  run([](const std::string& folder, const std::string& separator) {
    return Lines{"string task sdm1corr",
                 "string sdm1 " + escaped(folder + separator + "sub01_motion_run3.sdm"),
                 "create",
                 "init",
                 "execute",
                 "destroy"};
  });
  EXPECT_EQ(onWindows_.record, linuxRecordWithWindowsPaths());
  expectSameFilesWithCrLf({"sub01_motion_run3.txt", "sub01_motion_run3.csv"});
}

TEST_F(TaskOnBothPlatforms, SavingOverExistingFilesReplacesThem) {
  for (const char* name :
       {"sub01_task_physio.sdm", "sub01_task_physio.txt", "sub01_task_physio.csv"}) {
    writeText(windowsStudy_.file(name), "an older version\r\n");
  }
  run([](const std::string& folder, const std::string& separator) {
    return Lines{"string task mergeall",
                 "string sdms2 " + escaped(folder + separator + "sub01_physio.rtc"),
                 "string sdm1 " + escaped(folder + separator + "sub01_task.sdm"),
                 "int baseline 1",
                 "int allcorr 1",
                 "save " + escaped(folder + separator + "sub01_task_physio.sdm"),
                 "create",
                 "init",
                 "execute",
                 "destroy"};
  });
  expectSameFilesWithCrLf(
      {"sub01_task_physio.sdm", "sub01_task_physio.txt", "sub01_task_physio.csv"});
  for (const auto& entry : fs::directory_iterator(windowsStudy_.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
        << entry.path() << " was left behind";
  }
}

}  // namespace
}  // namespace duv::testing
