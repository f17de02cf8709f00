#include "tests/support/interrupted_save.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>
#include <utility>

#include "design/design_matrix.h"

extern char** environ;

namespace duv::testing {

namespace fs = std::filesystem;

void writeLargeDesign(const std::string& path, unsigned seed) {
  constexpr int kPredictors = 60;
  constexpr std::size_t kPoints = 40000;
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> value(-9.0F, 99.0F);
  DesignMatrix m;
  m.nrOfPredictors.value = kPredictors;
  m.nrOfDataPoints.value = static_cast<std::int32_t>(kPoints);
  m.firstConfoundPredictor.value = 1;
  for (int p = 0; p < kPredictors; ++p) {
    m.colorRed.push_back(p);
    m.colorGreen.push_back(p);
    m.colorBlue.push_back(p);
    m.predictorNames.push_back("p" + std::to_string(seed) + "_" + std::to_string(p));
    std::vector<float> column(kPoints);
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

InterruptedRun runInterruptedDuringSave(const std::vector<std::string>& command,
                                        const fs::path& folder, int signal) {
  std::vector<char*> argv;
  for (const auto& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  InterruptedRun run;
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
  while (waitpid(pid, &run.status, WNOHANG) == 0) {
    if (!run.interrupted && holdsTemporaryFile(folder)) {
      kill(pid, signal);
      run.interrupted = true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return run;
}

}  // namespace duv::testing
