#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "cli/process.h"

extern char** environ;

namespace duv::cli {
namespace {

[[noreturn]] void throwSystemError(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// Both ends of a pipe, closed when it goes.
class Pipe {
 public:
  Pipe() {
    if (pipe(ends_.data()) != 0) throwSystemError("cannot make a pipe");
  }
  ~Pipe() {
    closeRead();
    closeWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int readEnd() const { return ends_[0]; }
  int writeEnd() const { return ends_[1]; }
  void closeRead() { closeEnd(0); }
  void closeWrite() { closeEnd(1); }

 private:
  void closeEnd(std::size_t which) {
    if (ends_[which] >= 0) close(ends_[which]);
    ends_[which] = -1;
  }
  std::array<int, 2> ends_{-1, -1};
};

// The spawn's file actions, destroyed when they go.
class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// The spawn's attributes: the child gets SIGPIPE's default action back, which the tool ignores
// for itself (ignored signals stay ignored across exec).
class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attributes_);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes_, &signals);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

// Reads both pipes until the program has closed them, taking turns as data comes, so that a
// program filling one pipe while the other is read never waits for ever.
void readBoth(Pipe& out, Pipe& err, ProgramOutput& output) {
  std::array<pollfd, 2> fds{pollfd{out.readEnd(), POLLIN, 0}, pollfd{err.readEnd(), POLLIN, 0}};
  std::array<std::string*, 2> texts{&output.out, &output.err};
  std::array<char, 4096> buffer{};
  int open = 2;
  while (open > 0) {
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      throwSystemError("cannot wait for a program's output");
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const auto count = read(fds[i].fd, buffer.data(), buffer.size());
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) throwSystemError("cannot read a program's output");
      if (count == 0) {
        fds[i].fd = -1;  // poll skips negative descriptors
        --open;
        continue;
      }
      texts[i]->append(buffer.data(), static_cast<std::size_t>(count));
    }
  }
}

}  // namespace

ProgramOutput runProgram(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  argv.reserve(command.size() + 1);
  for (const auto& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  Pipe out;
  Pipe err;
  FileActions actions;
  posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(actions.get(), out.writeEnd(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(actions.get(), err.writeEnd(), STDERR_FILENO);
  posix_spawn_file_actions_addclose(actions.get(), out.readEnd());
  posix_spawn_file_actions_addclose(actions.get(), err.readEnd());
  const SpawnAttributes attributes;
  pid_t child = 0;
  const int failed =
      posix_spawnp(&child, argv[0], actions.get(), attributes.get(), argv.data(), environ);
  if (failed != 0) {
    throw std::runtime_error("cannot run " + command.front() + " (" + std::strerror(failed) + ")");
  }
  // Only the child writes now: its ends close when it ends, and the reads see the end.
  out.closeWrite();
  err.closeWrite();
  ProgramOutput output;
  readBoth(out, err, output);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throwSystemError("cannot wait for a program");
  }
  output.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return output;
}

std::string runningProgramPath() {
  // Linux names the running program's file here; the link is read as it is, resolved.
  std::string path(4096, '\0');
  const auto length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) {
    throw std::runtime_error("cannot find the path of the running program in /proc/self/exe");
  }
  path.resize(static_cast<std::size_t>(length));
  return path;
}

}  // namespace duv::cli
