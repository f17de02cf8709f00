// Faults of the output side: files that cannot be opened, created, written or committed,
// through the file interface and on the disk (missing and read-only folders, a full disk). Each
// is an error naming the file, and no partial file takes the place of a good one.

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
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

// What is in a folder: each entry's name, and for a link where it points.
std::map<std::string, std::string> entriesOf(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::directory_iterator(folder)) {
    entries[entry.path().filename().string()] =
        entry.is_symlink() ? "-> " + fs::read_symlink(entry.path()).string() : "";
  }
  return entries;
}

TEST(OutputFaultsTest, OutputsThatAreNotRegularFilesAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    std::string name;
    std::function<void(const fs::path& output, const fs::path& elsewhere)> plant;
    std::string why;  // the end of the message; empty: none
  };
  const std::string link = " (a symbolic link: links are not written through)";
  const Case cases[] = {
      {"a link to a file elsewhere",
       [](const auto& output, const auto& elsewhere) {
         fs::create_symlink(elsewhere / "victim.sdm", output);
       },
       link},
      {"a link to a file beside it",
       [](const auto& output, const auto&) {
         testing::writeText(output.parent_path() / "beside.sdm", "previous");
         fs::create_symlink("beside.sdm", output);
       },
       link},
      {"a link to nothing elsewhere",
       [](const auto& output, const auto& elsewhere) {
         fs::create_symlink(elsewhere / "new.sdm", output);
       },
       link},
      {"a link to a folder",
       [](const auto& output, const auto& elsewhere) {
         fs::create_directory_symlink(elsewhere, output);
       },
       link},
      {"a link to a device",
       [](const auto& output, const auto&) { fs::create_symlink("/dev/null", output); }, link},
      {"a folder", [](const auto& output, const auto&) { fs::create_directory(output); }, ""},
      {"a pipe",
       [](const auto& output, const auto&) { ASSERT_EQ(mkfifo(output.c_str(), 0600), 0); },
       " (a pipe: only regular files are written)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    fs::create_directories(dir.path() / "out");
    fs::create_directories(dir.path() / "elsewhere");
    testing::writeText(dir.file("elsewhere/victim.sdm"), "previous");
    const auto output = dir.path() / "out/run1.sdm";
    c.plant(output, dir.path() / "elsewhere");
    const auto before = entriesOf(dir.path() / "out");
    auto m = smallMatrix(output.string());
    expectError<std::runtime_error>([&] { saveDesign(m, m.fileName, kSdmFormat); },
                                    "Cannot Create file: " + output.string() + c.why);
    EXPECT_EQ(entriesOf(dir.path() / "out"), before);
    EXPECT_EQ(entriesOf(dir.path() / "elsewhere"),
              (std::map<std::string, std::string>{{"victim.sdm", ""}}));
    EXPECT_EQ(testing::readText(dir.file("elsewhere/victim.sdm")), "previous");
  }
}

TEST(OutputFaultsTest, DevicesAreRefusedBeforeAnythingIsWritten) {
  for (const char* device : {"/dev/null", "/dev/full"}) {
    if (!fs::exists(device)) continue;
    auto m = smallMatrix(device);
    expectError<std::runtime_error>([&] { saveDesign(m, m.fileName, kSdmFormat); },
                                    "Cannot Create file: " + std::string(device) +
                                        " (a device: only regular files are written)");
  }
}

// Ends the process: 0 when `save`, with at most 16 bytes per file, fails with `expected`.
[[noreturn]] void saveOnAFullDisk(const std::function<void()>& save, const std::string& expected) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{16, 16};
  setrlimit(RLIMIT_FSIZE, &limit);
  try {
    save();
  } catch (const IOError& error) {
    std::exit(error.what() == expected ? 0 : 2);
  }
  std::exit(1);
}

// A disk that fills while a file is written, made real by a limit on the size of the files the
// process may write (the signal it would send ignored, so that the write fails instead): the
// save is an error naming the file, the file keeps its previous contents and no temporary file
// is left. In a child process, so that the limit ends with it.
TEST(OutputFaultsTest, AFullDiskIsAWriteErrorNamingTheFile) {
  testing::TempDir dir;
  for (const char* name : {"run1.sdm", "run1.csv", "run1.txt"}) {
    testing::writeText(dir.file(name), "previous");
  }
  const auto m = smallMatrix(dir.file("run1.sdm"));
  const std::vector<std::pair<std::string, std::function<void()>>> saves = {
      {"run1.sdm", [&] { saveDesign(m, m.fileName, kSdmFormat); }},
      {"run1.csv", [&] { writeCorrelationTable(m); }},
      {"run1.txt", [&] { writeCorrelationReport(m); }},
  };
  for (const auto& [name, save] : saves) {
    SCOPED_TRACE(name);
    const auto expected = "Failed writing file: " + dir.file(name);
    EXPECT_EXIT(saveOnAFullDisk(save, expected), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(testing::readText(dir.file(name)), "previous");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
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

TEST_F(ToolOutputFaultsTest, ALinkAmongTheOutputsStopsTheRunNamingItAndKeepsEarlierResults) {
  fs::create_directory(dir_.path() / "out");
  testing::writeText(dir_.file("victim.sdm"), "previous");
  fs::create_symlink("../victim.sdm", dir_.path() / "out/sub01_task_physio.sdm");
  const auto result =
      run({"merge-all", "-q", "--allcorr", "--primary", "examples/sub01_task.sdm", "--out-dir",
           "out", "examples/sub01_motion_run1.sdm", "examples/sub01_physio.rtc"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "Error: Cannot Create file: out/sub01_task_physio.sdm (a symbolic link: links are "
            "not written through)\n");
  const auto first = readSdmFile(dir_.file("out/sub01_task_motion_run1.sdm"), realFileSystem());
  EXPECT_EQ(first.nrOfPredictors.value, 11);
  EXPECT_EQ(entriesOf(dir_.path() / "out"),
            (std::map<std::string, std::string>{{"sub01_task_motion_run1.csv", ""},
                                                {"sub01_task_motion_run1.sdm", ""},
                                                {"sub01_task_motion_run1.txt", ""},
                                                {"sub01_task_physio.sdm", "-> ../victim.sdm"}}));
  EXPECT_EQ(testing::readText(dir_.file("victim.sdm")), "previous");
}

// A disk that fills, for the whole tool: the size of the files it may write limited to 24 KiB
// (and the signal of going beyond ignored), which the first result (19 KB) fits in and the
// second (30 KB) does not.
TEST_F(ToolOutputFaultsTest, AFullDiskStopsTheRunNamingTheFileAndKeepsEarlierResults) {
  fs::create_directory(dir_.path() / "out");
  const auto result = testing::runProcess(
      {"bash", "-c", "trap '' XFSZ; ulimit -f 24; exec \"$@\"", "bash", DUVENDAL_TOOL, "merge-all",
       "-q", "--primary", "examples/sub01_task.sdm", "--out-dir", "out",
       "examples/sub01_physio.rtc", "examples/sub01_motion_run1.sdm"},
      dir_.path().string());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: Failed writing file: out/sub01_task_motion_run1.sdm\n");
  const auto first = readSdmFile(dir_.file("out/sub01_task_physio.sdm"), realFileSystem());
  EXPECT_EQ(first.nrOfPredictors.value, 7);
  EXPECT_EQ(entriesOf(dir_.path() / "out"),
            (std::map<std::string, std::string>{{"sub01_task_physio.sdm", ""}}));
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
