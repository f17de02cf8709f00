// The tool's standard output and error as results: a write to them that fails (a full disk, a
// pipe whose reader has gone, a closed stream) ends the tool with exit 1, and with a message
// where standard error still takes one.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace duv::testing {
namespace {

enum class Sink { fullDisk, brokenPipe, closed };

struct SinkRun {
  int exitCode = -1;
  std::string errors;  // standard error, when it is not the sink
};

// Runs the tool with standard output (or, with `onErrors`, standard error) going to `sink`.
SinkRun runIntoSink(std::vector<std::string> arguments, Sink sink, bool onErrors) {
  arguments.insert(arguments.begin(), DUVENDAL_TOOL);
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int target = onErrors ? STDERR_FILENO : STDOUT_FILENO;
  int errors[2];
  int reader[2];
  if (pipe(errors) != 0 || pipe(reader) != 0) return {};
  close(reader[0]);  // the sink pipe's reader is gone before anything is written
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!onErrors) posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
  switch (sink) {
    case Sink::fullDisk:
      posix_spawn_file_actions_addopen(&actions, target, "/dev/full", O_WRONLY, 0);
      break;
    case Sink::brokenPipe:
      posix_spawn_file_actions_adddup2(&actions, reader[1], target);
      break;
    case Sink::closed:
      posix_spawn_file_actions_addclose(&actions, target);
      break;
  }
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(errors[1]);
  close(reader[1]);
  SinkRun run;
  if (spawned != 0) return run;
  char buffer[4096];
  for (ssize_t count; (count = read(errors[0], buffer, sizeof buffer)) != 0;) {
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) break;
    run.errors.append(buffer, static_cast<std::size_t>(count));
  }
  close(errors[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

TEST(StandardStreamsTest, AFailedWriteToStandardOutputOrErrorIsAFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  const auto design = sourceDir() + "/examples/sub01_task.sdm";
  const std::vector<std::vector<std::string>> printing = {
      {"check", "--format", "json", design},
      {"check", "--format", "tsv", design},
      {"check", design},
      {"--help"},
  };
  for (const auto& arguments : printing) {
    for (const Sink sink : {Sink::fullDisk, Sink::brokenPipe, Sink::closed}) {
      SCOPED_TRACE(arguments.front() + " " + arguments.back() + ", sink " +
                   std::to_string(static_cast<int>(sink)));
      const auto run = runIntoSink(arguments, sink, false);
      EXPECT_EQ(run.exitCode, 1);
      EXPECT_EQ(run.errors, "Error: failed writing to standard output\n");
    }
  }
  // Log lines: a merge that cannot show them fails, though its files are written.
  TempDir dir;
  for (const Sink sink : {Sink::fullDisk, Sink::brokenPipe, Sink::closed}) {
    SCOPED_TRACE(static_cast<int>(sink));
    const auto run = runIntoSink({"merge-sec", "--out-dir", dir.path().string(), design,
                                  sourceDir() + "/examples/sub01_motion_run1.sdm"},
                                 sink, true);
    EXPECT_EQ(run.exitCode, 1);
  }
}

}  // namespace
}  // namespace duv::testing
