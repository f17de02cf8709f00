#pragma once

// Runs a program as a whole process, as a user would, for the end-to-end benchmarks (POSIX).

#include <cstdint>
#include <string>
#include <vector>

namespace duv::bench {

struct ProcessRun {
  int exitCode = -1;
  std::int64_t peakMemoryKb = 0;  // the process's largest resident set
};

// Runs arguments[0] with the rest as its arguments (no shell), its output discarded, and waits.
// Throws std::runtime_error when it cannot be started.
ProcessRun runProgram(const std::vector<std::string>& arguments);

// The path of the running executable.
std::string thisProgram();

}  // namespace duv::bench
