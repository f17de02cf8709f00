#pragma once

#include <string>
#include <vector>

namespace duv::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs a program with arguments (no shell interpretation of them) and waits for it.
ProcessResult runProcess(const std::vector<std::string>& command,
                         const std::string& workingDir = "");

}  // namespace duv::testing
