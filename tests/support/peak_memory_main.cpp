// peak_memory [--address-space-mib N] REPORT PROGRAM [ARGUMENT...]: runs PROGRAM and writes its
// peak resident memory in KiB to the file REPORT; exits with PROGRAM's exit status (128 + signal
// when it was killed). With --address-space-mib, PROGRAM may reserve at most N MiB of address
// space, so that memory it reserves without touching counts too (not for sanitizer builds,
// which reserve terabytes for their own bookkeeping).
//
// A process started directly by a large test process inherits that process's peak on Linux (the
// peak of the memory image that exec replaces is kept). Started from this small program, the
// peak is the program's own.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  int first = 1;
  rlim_t addressSpace = RLIM_INFINITY;
  if (argc > 2 && std::strcmp(argv[1], "--address-space-mib") == 0) {
    addressSpace = std::strtoul(argv[2], nullptr, 10) * 1024 * 1024;
    first = 3;
  }
  if (argc < first + 2) {
    std::fprintf(stderr,
                 "usage: peak_memory [--address-space-mib N] REPORT PROGRAM [ARGUMENT...]\n");
    return 64;
  }
  const pid_t child = fork();
  if (child < 0) return 70;
  if (child == 0) {
    const rlimit limit{addressSpace, addressSpace};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(70);
    execv(argv[first + 1], argv + first + 1);
    std::perror(argv[first + 1]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return 70;
  std::FILE* report = std::fopen(argv[first], "w");
  if (report == nullptr) return 70;
  std::fprintf(report, "%ld\n", usage.ru_maxrss);
  std::fclose(report);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
