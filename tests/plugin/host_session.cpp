#include "tests/plugin/host_session.h"

#include <fstream>
#include <sstream>

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

namespace {

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
  std::string scriptText;
  for (const std::string& line : script) scriptText += line + "\n";
  writeText(scriptFile, scriptText);

  std::vector<std::string> arguments{host};
  arguments.insert(arguments.end(), hostOptions.begin(), hostOptions.end());
  arguments.insert(arguments.end(), {BuiltFiles::plugin, scriptFile, recordFile});

  const ProcessResult process = runProcess(arguments);
  HostRun run;
  run.exitStatus = process.exitCode;
  run.output = process.out + process.err;
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
