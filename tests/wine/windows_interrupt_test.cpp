// The Windows tool under Wine, interrupted with Ctrl-C (Wine turns SIGINT into the console's
// Ctrl-C event) in the middle of a save: no temporary file is left, and the file it was
// replacing keeps its previous contents.

#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/interrupted_save.h"
#include "tests/support/temp_dir.h"
#include "tests/wine/windows_programs.h"

namespace duv::testing {
namespace {

namespace fs = std::filesystem;

TEST(WindowsInterruptTest, CtrlCDuringASaveLeavesNoTemporaryFile) {
  TempDir dir;
  writeRandomDesign(dir.file("run_a.sdm"), 3);
  writeRandomDesign(dir.file("run_b.sdm"), 4);
  const fs::path out = dir.path() / "out";
  fs::create_directories(out);
  const std::string target = (out / "run_a_b.sdm").string();
  writeText(target, "previous");
  const auto run = runInterruptedDuringSave(
      wineCommand(WindowsFiles::tool,
                  {"merge-sec", "-q", "--no-baseline", "--out-dir", windowsPath(out.string()),
                   windowsPath(dir.file("run_a.sdm")), windowsPath(dir.file("run_b.sdm"))}),
      SIGINT);
  ASSERT_TRUE(run.interrupted) << "the tool held no save: " << run.errors;
  EXPECT_FALSE(holdsTemporaryFile(out));
  EXPECT_EQ(readText(target), "previous");
}

}  // namespace
}  // namespace duv::testing
