// peak_memory REPORT PROGRAM ARGUMENT...: runs PROGRAM and writes its peak resident memory in
// KiB to the file REPORT; exits with PROGRAM's exit status (128 + signal when it was killed).
//
// A process started directly by a large test process inherits that process's peak on Linux (the
// peak of the memory image that exec replaces is kept). Started from this small program, the
// peak is the program's own.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: peak_memory REPORT PROGRAM [ARGUMENT...]\n");
    return 64;
  }
  const pid_t child = fork();
  if (child < 0) return 70;
  if (child == 0) {
    execv(argv[2], argv + 2);
    std::perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return 70;
  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) return 70;
  std::fprintf(report, "%ld\n", usage.ru_maxrss);
  std::fclose(report);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
