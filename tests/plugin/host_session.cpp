#include "tests/plugin/host_session.h"

#include <fstream>
#include <sstream>
#include <utility>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv::testing {

const std::string BuiltFiles::plugin = DUVENDAL_PLUGIN_FILE;
const std::string BuiltFiles::halvernZnHost = DUVENDAL_HALVERNZN_HOST;
const std::string BuiltFiles::halvernHost = DUVENDAL_HALVERN_HOST;
const std::string BuiltFiles::otherHost = DUVENDAL_OTHER_HOST;
const std::string BuiltFiles::versionOnlyHost = DUVENDAL_VERSION_ONLY_HOST;
const std::string BuiltFiles::sparseHost = DUVENDAL_SPARSE_HOST;
const std::string BuiltFiles::halvernModule = DUVENDAL_HALVERN_MODULE;
const std::string BuiltFiles::tool = DUVENDAL_TOOL;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

HostRun runHostCommand(std::vector<std::string> command, const std::vector<std::string>& script,
                       HostPath hostPath, const std::string& workingDir) {
  const TempDir folder;
  const std::string scriptFile = folder.file("session.txt");
  const std::string recordFile = folder.file("record.txt");
  std::string scriptText;
  for (const std::string& line : script) scriptText += line + "\n";
  writeText(scriptFile, scriptText);

  command.push_back(hostPath(scriptFile));
  command.push_back(hostPath(recordFile));
  const ProcessResult process = runProcess(command, workingDir);
  HostRun run;
  run.exitStatus = process.exitCode;
  run.output = process.out + process.err;
  std::ifstream record(recordFile, std::ios::binary);
  if (record) run.record = linesOf(readText(recordFile));
  return run;
}

HostRun runHost(const std::string& host, const std::vector<std::string>& script,
                const std::vector<std::string>& hostOptions, const std::string& workingDir) {
  std::vector<std::string> command{host};
  command.insert(command.end(), hostOptions.begin(), hostOptions.end());
  command.push_back(BuiltFiles::plugin);
  return runHostCommand(
      std::move(command), script, [](const std::string& path) { return path; }, workingDir);
}

std::vector<std::string> initialisedLines(const std::string& served) {
  return {"initPlugin()", served + "znGetVersionOfHalvernZN() -> 2.8.0", served + "znShowLogTab()",
          served + R"(znLogText("\nDuvendal>  Running..."))", "initPlugin returned true"};
}

std::vector<std::string> deletedLines(const std::string& served) {
  return {"delete plugin", served + R"(znLogText("\nDuvendal>  Plugin finished!\n"))",
          served + R"(znLogText(""))"};
}

std::string escaped(const std::string& text) {
  std::string value;
  for (const char c : text) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '"':
        value += "\\\"";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\r':
        value += "\\r";
        break;
      case '\t':
        value += "\\t";
        break;
      default:
        value += c;
    }
  }
  return value;
}

}  // namespace duv::testing
