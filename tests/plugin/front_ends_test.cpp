// One core, two front ends: the plug-in in the emulated host and the command-line tool write
// the same bytes for the same inputs and options.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/plugin/host_session.h"
#include "tests/plugin/study_folder.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::map<std::string, std::string> filesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = readText(entry.path().string());
  }
  return files;
}

void expectSameFiles(const fs::path& plugin, const fs::path& tool, std::size_t count) {
  const auto written = filesIn(plugin);
  const auto saved = filesIn(tool);
  ASSERT_EQ(written.size(), count);
  ASSERT_EQ(saved.size(), count);
  for (const auto& [name, contents] : written) {
    const auto other = saved.find(name);
    ASSERT_NE(other, saved.end()) << name << " is missing from the tool's output";
    EXPECT_TRUE(other->second == contents) << name << " differs";
  }
}

std::string joined(const Lines& paths) {
  std::string list;
  for (const auto& path : paths) list += (list.empty() ? "" : "\n") + path;
  return list;
}

TEST(FrontEndsTest, MergeAllWritesTheSameFilesThroughBothFrontEnds) {
  const StudyFolder study;
  TempDir plugin;
  TempDir tool;
  const Lines names = {"sub01_motion_run1.sdm", "sub01_motion_run3.sdm", "sub01_physio.rtc",
                       "sub01_drift.rtc"};
  Lines secondaries;
  for (const auto& name : names) secondaries.push_back(study.file(name));
  Lines script = {"string task mergeall",
                  "string sdms2 " + escaped(joined(secondaries)),
                  "string sdm1 " + escaped(study.file("sub01_task.sdm")),
                  "int ztans 1",
                  "int baseline 1",
                  "int allcorr 1"};
  for (const char* saved : {"sub01_task_motion_run1.sdm", "sub01_task_motion_run3.sdm",
                            "sub01_task_physio.sdm", "sub01_task_drift.sdm"}) {
    script.push_back("save " + escaped(plugin.file(saved)));
  }
  script.insert(script.end(), {"create", "init", "execute", "destroy"});
  ASSERT_EQ(runHost(script).exitStatus, 0);

  Lines command = {
      DUVENDAL_TOOL, "merge-all", "-q",        "--primary",         study.file("sub01_task.sdm"),
      "--ztrans",    "--allcorr", "--out-dir", tool.path().string()};
  command.insert(command.end(), secondaries.begin(), secondaries.end());
  const auto result = runProcess(command);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  expectSameFiles(plugin.path(), tool.path(), 12);
}

TEST(FrontEndsTest, MergeSecondaryWritesTheSameFileThroughBothFrontEnds) {
  const StudyFolder study;
  TempDir plugin;
  TempDir tool;
  const Lines secondaries = {study.file("sub01_motion_run2.sdm"), study.file("sub01_physio.rtc")};
  const Lines script = {"string task mergesec",
                        "string sdms2 " + escaped(joined(secondaries)),
                        "int ztans 0",
                        "int baseline 0",
                        "int allcorr 1",
                        "save " + escaped(plugin.file("sub01_motion_run2_physio.sdm")),
                        "create",
                        "init",
                        "execute",
                        "destroy"};
  ASSERT_EQ(runHost(script).exitStatus, 0);
  Lines command = {DUVENDAL_TOOL, "merge-sec",         "-q", "--no-baseline", "--allcorr",
                   "--out-dir",   tool.path().string()};
  command.insert(command.end(), secondaries.begin(), secondaries.end());
  const auto result = runProcess(command);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  expectSameFiles(plugin.path(), tool.path(), 3);
}

TEST(FrontEndsTest, CorrelationTaskWritesTheSameFilesThroughBothFrontEnds) {
  TempDir plugin;
  TempDir tool;
  const auto example = fs::path(sourceDir()) / "examples" / "sub01_motion_run3.sdm";
  fs::copy_file(example, plugin.path() / "run.sdm");
  fs::copy_file(example, tool.path() / "run.sdm");
  ASSERT_EQ(runHost({"string task sdm1corr", "string sdm1 " + escaped(plugin.file("run.sdm")),
                     "create", "init", "execute", "destroy"})
                .exitStatus,
            0);
  const auto result = runProcess({DUVENDAL_TOOL, "corr", "-q", tool.file("run.sdm")});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  expectSameFiles(plugin.path(), tool.path(), 3);
}

}  // namespace
}  // namespace duv::testing
