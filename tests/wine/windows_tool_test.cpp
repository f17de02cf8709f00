// The Windows command-line tool under Wine, side by side with the Linux build's tool: the same
// exit codes and messages, and output files that differ only in their CR LF line ends, whatever
// line ends the inputs have.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/plugin/host_session.h"
#include "tests/plugin/study_folder.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/wine/windows_programs.h"

namespace duv::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Every file below `folder`, by its path relative to it.
std::map<std::string, std::string> filesBelow(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    files[fs::relative(entry.path(), folder).generic_string()] = readText(entry.path().string());
  }
  return files;
}

// The tool of both builds run with the same arguments, each in its own copy of the study,
// with the study's inputs ending their lines with LF or with CR LF.
class ToolOnBothPlatforms : public ::testing::Test {
 protected:
  void useCrLfInputs() {
    for (const StudyFolder* study : {&linuxStudy_, &windowsStudy_}) {
      for (const auto& [name, text] : filesBelow(study->path())) {
        writeText(study->file(name), withCrLfLineEnds(text));
      }
    }
  }

  void run(const Lines& arguments) {
    linuxInputs_ = filesBelow(linuxStudy_.path());
    windowsInputs_ = filesBelow(windowsStudy_.path());
    onLinux_ = runProcess(withTool(BuiltFiles::tool, arguments), linuxStudy_.path().string());
    onWindows_ = runWindowsProgram(WindowsFiles::tool, arguments, windowsStudy_.path().string());
  }

  // Same exit code and messages; every file that the Windows tool wrote ends its lines with
  // CR LF and is otherwise the Linux tool's file; `expectedOutputs` files were written.
  void expectSameResults(std::size_t expectedOutputs) const {
    EXPECT_EQ(onWindows_.exitCode, onLinux_.exitCode) << onWindows_.err;
    EXPECT_EQ(withLfLineEnds(onWindows_.err), onLinux_.err);
    EXPECT_EQ(withLfLineEnds(onWindows_.out), onLinux_.out);
    const auto linuxFiles = filesBelow(linuxStudy_.path());
    const auto windowsFiles = filesBelow(windowsStudy_.path());
    ASSERT_EQ(windowsFiles.size(), linuxFiles.size());
    std::size_t outputs = 0;
    for (const auto& [name, linuxText] : linuxFiles) {
      SCOPED_TRACE(name);
      const auto windows = windowsFiles.find(name);
      ASSERT_NE(windows, windowsFiles.end());
      const bool written = isWritten(linuxInputs_, name, linuxText);
      EXPECT_EQ(isWritten(windowsInputs_, name, windows->second), written);
      if (!written) continue;
      ++outputs;
      EXPECT_EQ(linuxText.find('\r'), std::string::npos);
      EXPECT_TRUE(hasOnlyCrLfLineEnds(windows->second));
      EXPECT_TRUE(withLfLineEnds(windows->second) == linuxText);
    }
    EXPECT_EQ(outputs, expectedOutputs);
  }

  // Whether the file `name` with `text` is new or changed since `inputs`.
  static bool isWritten(const std::map<std::string, std::string>& inputs, const std::string& name,
                        const std::string& text) {
    const auto input = inputs.find(name);
    return input == inputs.end() || input->second != text;
  }

  static Lines withTool(const std::string& tool, Lines arguments) {
    arguments.insert(arguments.begin(), tool);
    return arguments;
  }

  StudyFolder linuxStudy_;
  StudyFolder windowsStudy_;
  std::map<std::string, std::string> linuxInputs_;
  std::map<std::string, std::string> windowsInputs_;
  ProcessResult onLinux_;
  ProcessResult onWindows_;
};

const Lines mergeAllWithEveryOption = {"merge-all",
                                       "--primary",
                                       "sub01_task.sdm",
                                       "--ztrans",
                                       "--allcorr",
                                       "--out-dir",
                                       "out",
                                       "sub01_motion_run1.sdm",
                                       "sub01_motion_run2.sdm",
                                       "sub01_motion_run3.sdm",
                                       "sub01_physio.rtc",
                                       "sub01_drift.rtc"};

TEST_F(ToolOnBothPlatforms, MergeAllWithEveryOptionWritesTheLinuxBytesWithCrLfLineEnds) {
  run(mergeAllWithEveryOption);
  EXPECT_EQ(onLinux_.exitCode, 0) << onLinux_.err;
  expectSameResults(15);
}

TEST_F(ToolOnBothPlatforms, MergeAllReadsInputsWithCrLfLineEndsAsTheirLfForms) {
  run(mergeAllWithEveryOption);
  const auto fromLf = filesBelow(linuxStudy_.path() / "out");
  fs::remove_all(linuxStudy_.path() / "out");
  fs::remove_all(windowsStudy_.path() / "out");
  useCrLfInputs();
  run(mergeAllWithEveryOption);
  EXPECT_EQ(onLinux_.exitCode, 0) << onLinux_.err;
  expectSameResults(15);
  EXPECT_TRUE(filesBelow(linuxStudy_.path() / "out") == fromLf);
}

TEST_F(ToolOnBothPlatforms, MergeSecondaryWithoutBaselineWritesTheLinuxBytes) {
  run({"merge-sec", "--no-baseline", "--allcorr", "--out-dir", "out", "sub01_motion_run2.sdm",
       "sub01_physio.rtc"});
  EXPECT_EQ(onLinux_.exitCode, 0) << onLinux_.err;
  expectSameResults(3);
}

TEST_F(ToolOnBothPlatforms, CorrelationTaskWritesTheLinuxBytes) {
  useCrLfInputs();
  run({"corr", "sub01_task.sdm", "sub01_motion_run3.sdm"});
  EXPECT_EQ(onLinux_.exitCode, 0) << onLinux_.err;
  expectSameResults(4);
}

TEST_F(ToolOnBothPlatforms, DataPointMismatchIsTheSameFailure) {
  run({"merge-all", "--primary", "sub01_task.sdm", "sub01_motion_short.sdm"});
  EXPECT_EQ(onLinux_.exitCode, 2) << onLinux_.err;
  expectSameResults(0);
}

// A design whose values include every non-finite kind, a time course of its length (time
// courses hold finite values only), and a design whose constant first predictor has an
// infinite R².
void writeNonFiniteStudy(const StudyFolder& study) {
  const std::string header =
      "FileVersion:            1\n"
      "\n"
      "NrOfPredictors:         3\n"
      "NrOfDataPoints:         5\n"
      "IncludesConstant:       0\n"
      "FirstConfoundPredictor: 3\n"
      "\n"
      "255 0 0   0 255 0   0 0 255\n"
      "\"Task\" \"Drift\" \"Spike\"\n";
  writeText(study.file("odd.sdm"), header +
                                       "1.0 0.5 nan\n"
                                       "0.0 inf 0.25\n"
                                       "1.0 -inf -nan\n"
                                       "0.0 0.75 INF\n"
                                       "1.0 0.125 NaN\n");
  writeText(study.file("flat.sdm"), header +
                                        "1.0 0.5 0.1\n"
                                        "1.0 0.25 0.4\n"
                                        "1.0 -0.5 0.2\n"
                                        "1.0 0.75 -0.3\n"
                                        "1.0 0.125 0.6\n");
  writeText(study.file("pulse.rtc"),
            "FileVersion:     2\n"
            "Type:            DesignMatrix\n"
            "NrOfPredictors:  1\n"
            "NrOfDataPoints:  5\n"
            "\n"
            "\"Pulse\"\n"
            "0.5\n1.5\n3.0\n-0.5\n2.5\n");
}

TEST_F(ToolOnBothPlatforms, NonFiniteValuesAreWrittenAsOnLinux) {
  writeNonFiniteStudy(linuxStudy_);
  writeNonFiniteStudy(windowsStudy_);
  run({"merge-all", "--primary", "odd.sdm", "--ztrans", "--out-dir", "out", "pulse.rtc"});
  ASSERT_EQ(onLinux_.exitCode, 0) << onLinux_.err;
  expectSameResults(1);
  const std::string merged = readText(linuxStudy_.file("out/odd_pulse.sdm"));
  for (const char* value : {"nan", "-inf", " inf"}) {
    EXPECT_NE(merged.find(value), std::string::npos) << value << " in\n" << merged;
  }

  run({"corr", "flat.sdm"});
  ASSERT_EQ(onLinux_.exitCode, 0) << onLinux_.err;
  expectSameResults(2);
  EXPECT_NE(readText(linuxStudy_.file("flat.txt")).find("-inf for \"Task\""), std::string::npos);
}

TEST_F(ToolOnBothPlatforms, ExistingOutputsAreReplaced) {
  for (const StudyFolder* study : {&linuxStudy_, &windowsStudy_}) {
    fs::create_directory(study->path() / "out");
    // An earlier run's outputs: the report and table as the tool writes them (it replaces no
    // other text file).
    const std::pair<const char*, const char*> earlier[] = {
        {".sdm", "older\r\n"},
        {".txt", "Top 10 correlations between main predictors:\r\nolder\r\n"},
        {".csv", " ; older\r\n"}};
    for (const auto& [extension, text] : earlier) {
      writeText(study->file(std::string("out/sub01_task_physio") + extension), text);
    }
  }
  run({"merge-all", "--primary", "sub01_task.sdm", "--allcorr", "--out-dir", "out",
       "sub01_physio.rtc"});
  EXPECT_EQ(onLinux_.exitCode, 0) << onLinux_.err;
  expectSameResults(3);
}

}  // namespace
}  // namespace duv::testing
