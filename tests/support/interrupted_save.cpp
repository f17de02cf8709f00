#include "tests/support/interrupted_save.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <utility>

#include "design/design_format.h"
#include "design/design_matrix.h"

extern char** environ;

namespace duv::testing {

namespace fs = std::filesystem;

void writeRandomDesign(const std::string& path, unsigned seed) {
  constexpr int kPredictors = 60;
  constexpr std::size_t kPoints = 40;
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
  saveDesign(m, path, kSdmFormat);
}

bool holdsTemporaryFile(const fs::path& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
  }
  return false;
}

InterruptedRun runInterruptedDuringSave(const std::vector<std::string>& command, int signal) {
  std::vector<char*> argv;
  for (const auto& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    environment.push_back(*variable);
  }
  std::string hold = "DUVENDAL_HOLD_SAVES=1";
  environment.push_back(hold.data());
  environment.push_back(nullptr);

  InterruptedRun run;
  int errors[2];
  if (pipe(errors) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, errors[0]);
  posix_spawn_file_actions_addclose(&actions, errors[1]);
  pid_t pid = -1;
  const int spawned =
      posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  close(errors[1]);
  if (spawned != 0) {
    close(errors[0]);
    return run;
  }
  // Reads standard error to its end (the program's end closes it), sending the signal when the
  // line announcing a held save is complete.
  char buffer[4096];
  for (ssize_t count; (count = read(errors[0], buffer, sizeof buffer)) != 0;) {
    if (count < 0) {
      if (errno == EINTR) continue;
      break;
    }
    run.errors.append(buffer, static_cast<std::size_t>(count));
    const auto held = run.errors.find("holding save: ");
    if (!run.interrupted && held != std::string::npos &&
        run.errors.find('\n', held) != std::string::npos) {
      kill(pid, signal);
      run.interrupted = true;
    }
  }
  close(errors[0]);
  waitpid(pid, &run.status, 0);
  return run;
}

}  // namespace duv::testing
