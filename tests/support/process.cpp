#include "tests/support/process.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

#include "tests/support/temp_dir.h"

namespace duv::testing {
namespace {

std::string quoted(const std::string& argument) {
  std::string text = "'";
  for (const char c : argument) {
    if (c == '\'') {
      text += "'\\''";
    } else {
      text += c;
    }
  }
  return text + "'";
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& command, const std::string& workingDir) {
  TempDir capture;
  std::string line;
  if (!workingDir.empty()) line = "cd " + quoted(workingDir) + " && ";
  for (const auto& argument : command) line += quoted(argument) + " ";
  line += "</dev/null >" + quoted(capture.file("out")) + " 2>" + quoted(capture.file("err"));
  const int status = std::system(line.c_str());
  if (status == -1) throw std::runtime_error("cannot run " + command.front());
  ProcessResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = readText(capture.file("out"));
  result.err = readText(capture.file("err"));
  return result;
}

}  // namespace duv::testing
