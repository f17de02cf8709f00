#pragma once

// Running another program and capturing what it says: the tool hands a study to a scheduler's
// command (sbatch) this way. POSIX only; the Windows build refuses with an error.

#include <string>
#include <vector>

namespace duv::cli {

struct ProgramOutput {
  int exitCode = 0;  // the program's exit status; 128 + the signal's number when a signal ended it
  std::string out;   // its standard output, whole
  std::string err;   // its standard error, whole
};

// Runs command[0] (looked for on PATH when it holds no '/') with the rest as its arguments,
// passed as they are (no shell), its standard input empty, and waits for it to end. Throws
// std::runtime_error "cannot run <program> (<reason>)" when it cannot be started (not found, not
// executable) and std::system_error when a pipe cannot be made or read. `command` is not empty.
ProgramOutput runProgram(const std::vector<std::string>& command);

// The absolute path of the program running now, as the system knows it, so that a job on
// another machine of a cluster runs this very tool. Throws std::runtime_error when the system
// does not tell.
std::string runningProgramPath();

}  // namespace duv::cli
