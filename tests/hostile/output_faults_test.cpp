// Faults of the output side: files that cannot be opened, created, written or committed,
// through the file interface and on the disk (missing and read-only folders, a full disk). Each
// is an error naming the file, and no partial file takes the place of a good one.

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "design/design_format.h"
#include "design/design_matrix.h"
#include "design/errors.h"
#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "workflow/merge_workflow.h"

namespace duv {
namespace {

namespace fs = std::filesystem;
using testing::expectError;

bool runningAsRoot() { return geteuid() == 0; }

const char* const kPrimary =
    "NrOfPredictors: 2\nNrOfDataPoints: 4\nIncludesConstant: 0\nFirstConfoundPredictor: 3\n\n"
    "255 0 0   0 255 0\n\"A\" \"B\"\n"
    "  1.000000   0.500000\n  0.000000   0.250000\n  1.000000  -0.500000\n  0.000000   0.125000\n";
const char* const kSecondary =
    "NrOfPredictors: 1\nNrOfDataPoints: 4\nIncludesConstant: 0\nFirstConfoundPredictor: 1\n\n"
    "9 9 9\n\"M\"\n  0.100000\n -0.200000\n  0.300000\n  0.050000\n";

struct WorkflowFault {
  std::string name;
  std::function<void(testing::MemoryFileSystem&)> inject;
  std::string message;
  std::vector<std::string> replaced;  // outputs holding a new version afterwards
};

TEST(OutputFaultsTest, MergeStopsAtEveryFaultNamingTheFileAndKeepsWhatWasThere) {
  const WorkflowFault faults[] = {
      {"primary cannot be opened",
       [](auto& files) { files.unopenable.insert("p.sdm"); },
       "Failed opening for reading: p.sdm",
       {}},
      {"secondary cannot be read",
       [](auto& files) { files.unreadable.insert("s.sdm"); },
       "Failed reading file: s.sdm",
       {}},
      {"result cannot be created",
       [](auto& files) { files.uncreatable.insert("out.sdm"); },
       "Cannot Create file: out.sdm",
       {}},
      {"disk full while writing the result",
       [](auto& files) { files.writeLimit["out.sdm"] = 100; },
       "Failed writing file: out.sdm",
       {}},
      {"result cannot be committed",
       [](auto& files) { files.uncommittable.insert("out.sdm"); },
       "Failed writing file: out.sdm",
       {}},
      {"disk full while writing the report",
       [](auto& files) { files.writeLimit["out.txt"] = 50; },
       "Failed writing file: out.txt",
       {"out.sdm"}},
      {"table cannot be committed",
       [](auto& files) { files.uncommittable.insert("out.csv"); },
       "Failed writing file: out.csv",
       {"out.sdm", "out.txt"}},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.name);
    testing::MemoryFileSystem files;
    files.files = {{"p.sdm", kPrimary},
                   {"s.sdm", kSecondary},
                   {"out.sdm", "previous"},
                   {"out.txt", "previous"},
                   {"out.csv", "previous"}};
    fault.inject(files);
    MergeRequest request;
    request.primary = "p.sdm";
    request.secondaries = {InputFile{"s.sdm", &kSdmFormat}};
    request.reports = true;
    expectError<std::runtime_error>(
        [&] {
          mergeDesigns(
              request, files, [](const std::string&) { return std::string("out.sdm"); },
              [](std::string_view, std::string_view) {});
        },
        fault.message);
    for (const char* output : {"out.sdm", "out.txt", "out.csv"}) {
      const bool replaced =
          std::find(fault.replaced.begin(), fault.replaced.end(), output) != fault.replaced.end();
      EXPECT_EQ(*files.contents(output) != "previous", replaced) << output;
    }
    // A replaced result is whole: it reads back.
    if (!fault.replaced.empty()) {
      EXPECT_EQ(readSdm(*files.contents("out.sdm"), "out.sdm").nrOfPredictors.value, 4);
    }
  }
}

DesignMatrix smallMatrix(const std::string& fileName) {
  auto m = readSdm(kPrimary, fileName);
  return m;
}

TEST(OutputFaultsTest, MissingFoldersCannotBeCreatedIn) {
  testing::TempDir dir;
  const auto missing = dir.file("missing/run1.sdm");
  auto m = smallMatrix(missing);
  expectError<std::runtime_error>([&] { saveDesign(m, m.fileName, kSdmFormat); },
                                  "Cannot Create file: " + missing);
  expectError<std::runtime_error>([&] { writeCorrelationTable(m); },
                                  "Cannot Create file: " + dir.file("missing/run1.csv"));
  expectError<std::runtime_error>([&] { writeCorrelationReport(m); },
                                  "Cannot Create file: " + dir.file("missing/run1.txt"));
  EXPECT_FALSE(fs::exists(dir.file("missing")));
}

TEST(OutputFaultsTest, AFullDiskIsAWriteErrorNamingTheFile) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  testing::TempDir dir;
  for (const char* name : {"run1.sdm", "run1.csv", "run1.txt"}) {
    fs::create_symlink("/dev/full", dir.path() / name);
  }
  const auto m = smallMatrix(dir.file("run1.sdm"));
  expectError<IOError>([&] { saveDesign(m, m.fileName, kSdmFormat); },
                       "Failed writing file: " + dir.file("run1.sdm"));
  expectError<IOError>([&] { writeCorrelationTable(m); },
                       "Failed writing file: " + dir.file("run1.csv"));
  expectError<IOError>([&] { writeCorrelationReport(m); },
                       "Failed writing file: " + dir.file("run1.txt"));
  for (const char* name : {"run1.sdm", "run1.csv", "run1.txt"}) {
    EXPECT_TRUE(fs::is_symlink(dir.path() / name)) << name;
  }
}

TEST(OutputFaultsTest, UnreadableInputIsAnOpenError) {
  if (runningAsRoot()) GTEST_SKIP() << "running as root, whom file permissions do not stop";
  testing::TempDir dir;
  const auto path = dir.file("locked.sdm");
  testing::writeText(path, kPrimary);
  fs::permissions(path, fs::perms::none);
  expectError<OpenFileError>([&] { readSdmFile(path, realFileSystem()); },
                             "Failed opening for reading: " + path);
}

TEST(OutputFaultsTest, ReadOnlyFoldersAndFilesAreRefusedAndKeptAsTheyWere) {
  if (runningAsRoot()) GTEST_SKIP() << "running as root, whom file permissions do not stop";
  testing::TempDir dir;
  fs::create_directory(dir.path() / "locked");
  const auto inLockedFolder = dir.file("locked/run1.sdm");
  testing::writeText(inLockedFolder, "previous");
  fs::permissions(dir.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const auto lockedFile = dir.file("run2.sdm");
  testing::writeText(lockedFile, "previous");
  fs::permissions(lockedFile, fs::perms::owner_read);

  for (const auto& path : {inLockedFolder, lockedFile}) {
    auto m = smallMatrix(path);
    expectError<std::runtime_error>([&] { saveDesign(m, m.fileName, kSdmFormat); },
                                    "Cannot Create file: " + path);
    EXPECT_EQ(testing::readText(path), "previous");
  }
  fs::permissions(dir.path() / "locked", fs::perms::owner_all);
}

// The tool over a copy of the example study.
class ToolOutputFaultsTest : public ::testing::Test {
 protected:
  ToolOutputFaultsTest() {
    fs::copy(fs::path(testing::sourceDir()) / "examples", dir_.path() / "examples",
             fs::copy_options::recursive);
  }
  testing::ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), DUVENDAL_TOOL);
    return testing::runProcess(arguments, dir_.path().string());
  }
  testing::TempDir dir_;
};

TEST_F(ToolOutputFaultsTest, AFullDiskStopsTheRunNamingTheFileAndKeepsEarlierResults) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  fs::create_directory(dir_.path() / "out");
  fs::create_symlink("/dev/full", dir_.path() / "out/sub01_task_physio.sdm");
  const auto result =
      run({"merge-all", "-q", "--allcorr", "--primary", "examples/sub01_task.sdm", "--out-dir",
           "out", "examples/sub01_motion_run1.sdm", "examples/sub01_physio.rtc"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: Failed writing file: out/sub01_task_physio.sdm\n");
  const auto first = readSdmFile(dir_.file("out/sub01_task_motion_run1.sdm"), realFileSystem());
  EXPECT_EQ(first.nrOfPredictors.value, 11);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir_.path() / "out")) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left,
            (std::vector<std::string>{"sub01_task_motion_run1.csv", "sub01_task_motion_run1.sdm",
                                      "sub01_task_motion_run1.txt", "sub01_task_physio.sdm"}));
  EXPECT_TRUE(fs::is_symlink(dir_.path() / "out/sub01_task_physio.sdm"));
}

TEST_F(ToolOutputFaultsTest, AnOutputFolderThatCannotBeMadeIsAnErrorNamingIt) {
  const auto result = run({"merge-sec", "-q", "--out-dir", "examples/sub01_task.sdm/out",
                           "examples/sub01_motion_run1.sdm", "examples/sub01_motion_run2.sdm"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.rfind("Error: ", 0), 0U) << result.err;
  EXPECT_NE(result.err.find("examples/sub01_task.sdm/out"), std::string::npos) << result.err;
}

TEST_F(ToolOutputFaultsTest, AReadOnlyOutputFolderIsRefusedBeforeAnythingIsWritten) {
  if (runningAsRoot()) GTEST_SKIP() << "running as root, whom file permissions do not stop";
  fs::create_directory(dir_.path() / "out");
  testing::writeText(dir_.file("out/sub01_motion_run1_run2.sdm"), "previous");
  fs::permissions(dir_.path() / "out", fs::perms::owner_read | fs::perms::owner_exec);
  const auto result = run({"merge-sec", "-q", "--out-dir", "out", "examples/sub01_motion_run1.sdm",
                           "examples/sub01_motion_run2.sdm"});
  fs::permissions(dir_.path() / "out", fs::perms::owner_all);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: Cannot Create file: out/sub01_motion_run1_run2.sdm\n");
  EXPECT_EQ(testing::readText(dir_.file("out/sub01_motion_run1_run2.sdm")), "previous");
}

}  // namespace
}  // namespace duv
