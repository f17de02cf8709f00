// The tool interrupted during a large save, as a user or a scheduler interrupts it: it ends as
// interrupted, leaves no temporary file, and the file it was replacing keeps its previous
// contents or holds the new ones whole.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "design/design_matrix.h"
#include "design/sdm_reader.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace duv {
namespace {

namespace fs = std::filesystem;

// A design of 60 predictors and 40,000 data points: about 25 MB of text.
void writeLargeDesign(const std::string& path, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> value(-9.0F, 99.0F);
  DesignMatrix m;
  m.nrOfPredictors.value = 60;
  m.nrOfDataPoints.value = 40000;
  m.firstConfoundPredictor.value = 1;
  for (int p = 0; p < 60; ++p) {
    m.colorRed.push_back(p);
    m.colorGreen.push_back(p);
    m.colorBlue.push_back(p);
    m.predictorNames.push_back("p" + std::to_string(seed) + "_" + std::to_string(p));
    std::vector<float> column(40000);
    for (auto& x : column) x = value(generator);
    m.values.push_back(std::move(column));
  }
  m.saveAs(path);
}

bool holdsTemporaryFile(const fs::path& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
  }
  return false;
}

pid_t start(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

TEST(InterruptTest, ASaveInterruptedLeavesNoTemporaryFileAndTheTargetWhole) {
  testing::TempDir dir;
  writeLargeDesign(dir.file("run_a.sdm"), 1);
  writeLargeDesign(dir.file("run_b.sdm"), 2);
  const fs::path out = dir.path() / "out";
  const std::string target = (out / "run_a_b.sdm").string();
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    fs::create_directories(out);
    testing::writeText(target, "previous");
    const pid_t tool = start({DUVENDAL_TOOL, "merge-sec", "-q", "--no-baseline", "--out-dir",
                              out.string(), dir.file("run_a.sdm"), dir.file("run_b.sdm")});
    ASSERT_GT(tool, 0);
    int status = 0;
    bool sent = false;
    while (waitpid(tool, &status, WNOHANG) == 0) {
      if (!sent && holdsTemporaryFile(out)) {
        kill(tool, signal);
        sent = true;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ASSERT_TRUE(sent) << "the save ended before it could be interrupted";
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_FALSE(holdsTemporaryFile(out));
    const auto contents = testing::readText(target);
    if (contents != "previous") {
      EXPECT_EQ(readSdm(contents, target).nrOfPredictors.value, 120);
    }
    fs::remove_all(out);
  }
}

}  // namespace
}  // namespace duv
