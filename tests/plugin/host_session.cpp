#include "tests/plugin/host_session.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace duv::testing {

const std::string BuiltFiles::plugin = DUVENDAL_PLUGIN_FILE;
const std::string BuiltFiles::halvernZnHost = DUVENDAL_HALVERNZN_HOST;
const std::string BuiltFiles::halvernHost = DUVENDAL_HALVERN_HOST;
const std::string BuiltFiles::otherHost = DUVENDAL_OTHER_HOST;
const std::string BuiltFiles::versionOnlyHost = DUVENDAL_VERSION_ONLY_HOST;
const std::string BuiltFiles::sparseHost = DUVENDAL_SPARSE_HOST;
const std::string BuiltFiles::halvernModule = DUVENDAL_HALVERN_MODULE;

namespace {

int runProcess(const std::vector<std::string>& arguments, const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawnError = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawnError != 0) throw std::runtime_error("cannot start " + arguments[0]);

  int status = 0;
  if (waitpid(child, &status, 0) != child) throw std::runtime_error("lost " + arguments[0]);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

HostRun runHost(const std::string& host, const std::vector<std::string>& script,
                const std::vector<std::string>& hostOptions) {
  const TempDir folder;
  const std::string scriptFile = folder.file("session.txt");
  const std::string recordFile = folder.file("record.txt");
  const std::string outputFile = folder.file("output.txt");
  std::string scriptText;
  for (const std::string& line : script) scriptText += line + "\n";
  writeText(scriptFile, scriptText);

  std::vector<std::string> arguments{host};
  arguments.insert(arguments.end(), hostOptions.begin(), hostOptions.end());
  arguments.insert(arguments.end(), {BuiltFiles::plugin, scriptFile, recordFile});

  HostRun run;
  run.exitStatus = runProcess(arguments, outputFile);
  run.output = readText(outputFile);
  std::ifstream record(recordFile, std::ios::binary);
  if (record) run.record = linesOf(readText(recordFile));
  return run;
}

std::vector<std::string> initialisedLines(const std::string& served) {
  return {"initPlugin()", served + "znGetVersionOfHalvernZN() -> 2.8.0", served + "znShowLogTab()",
          served + R"(znLogText("\nDuvendal>  Running..."))", "initPlugin returned true"};
}

std::vector<std::string> deletedLines(const std::string& served) {
  return {"delete plugin", served + R"(znLogText("\nDuvendal>  Plugin finished!\n"))",
          served + R"(znLogText(""))"};
}

std::string scriptValue(const std::string& text) {
  std::string value;
  for (const char c : text) {
    if (c == '\\') {
      value += "\\\\";
    } else if (c == '\n') {
      value += "\\n";
    } else if (c == '\r') {
      value += "\\r";
    } else {
      value += c;
    }
  }
  return value;
}

}  // namespace duv::testing
