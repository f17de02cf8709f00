// The tool interrupted in the middle of a save, as a user or a scheduler interrupts it: it ends
// as interrupted, leaves no temporary file, and the file it was replacing keeps its previous
// contents.

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/interrupted_save.h"
#include "tests/support/temp_dir.h"

namespace duv::testing {
namespace {

namespace fs = std::filesystem;

TEST(InterruptTest, ASaveInterruptedLeavesNoTemporaryFileAndTheTargetAsItWas) {
  TempDir dir;
  writeRandomDesign(dir.file("run_a.sdm"), 1);
  writeRandomDesign(dir.file("run_b.sdm"), 2);
  const fs::path out = dir.path() / "out";
  const std::string target = (out / "run_a_b.sdm").string();
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    fs::create_directories(out);
    writeText(target, "previous");
    const auto run =
        runInterruptedDuringSave({DUVENDAL_TOOL, "merge-sec", "-q", "--no-baseline", "--out-dir",
                                  out.string(), dir.file("run_a.sdm"), dir.file("run_b.sdm")},
                                 signal);
    ASSERT_TRUE(run.interrupted) << "the tool held no save: " << run.errors;
    EXPECT_TRUE(WIFSIGNALED(run.status));
    EXPECT_EQ(WTERMSIG(run.status), signal);
    EXPECT_FALSE(holdsTemporaryFile(out));
    EXPECT_EQ(readText(target), "previous");
    fs::remove_all(out);
  }
}

}  // namespace
}  // namespace duv::testing
