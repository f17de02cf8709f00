#include <stdexcept>

#include "cli/process.h"

namespace duv::cli {

// Schedulers that take jobs from the tool (SLURM) run on POSIX clusters: there is nothing to
// hand a study to from Windows.
ProgramOutput runProgram(const std::vector<std::string>& command) {
  throw std::runtime_error("cannot run " + command.front() +
                           ": this build for Windows runs no other programs; submit the study "
                           "from a cluster's machine");
}

std::string runningProgramPath() {
  throw std::runtime_error(
      "this build for Windows cannot write job scripts: submit the study from a cluster's "
      "machine");
}

}  // namespace duv::cli
