#include "tests/wine/windows_programs.h"

#include <utility>

namespace duv::testing {

namespace {

const std::string windowsBin = DUVENDAL_WINDOWS_BIN;

}  // namespace

// Wine's own diagnostics would mix with the program's standard error.
std::vector<std::string> wineCommand(const std::string& program,
                                     const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {"env", "WINEPREFIX=" DUVENDAL_WINE_PREFIX, "WINEDEBUG=-all",
                                      DUVENDAL_WINE, program};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

const std::string WindowsFiles::plugin = windowsBin + "/Duvendal.dll";
const std::string WindowsFiles::halvernZnHost = windowsBin + "/HalvernZN.exe";
const std::string WindowsFiles::halvernHost = windowsBin + "/Halvern.exe";
const std::string WindowsFiles::otherHost = windowsBin + "/OtherHost.exe";
const std::string WindowsFiles::versionOnlyHost = windowsBin + "/version_only_host/HalvernZN.exe";
const std::string WindowsFiles::halvernModule = windowsBin + "/host_module/Halvern.exe";
const std::string WindowsFiles::tool = windowsBin + "/duvendal.exe";

std::string windowsPath(const std::string& path) {
  std::string spelled = "Z:";
  for (const char c : path) spelled += c == '/' ? '\\' : c;
  return spelled;
}

ProcessResult runWindowsProgram(const std::string& program,
                                const std::vector<std::string>& arguments,
                                const std::string& workingDir) {
  return runProcess(wineCommand(program, arguments), workingDir);
}

HostRun runWindowsHost(const std::string& host, const std::vector<std::string>& script,
                       const std::vector<std::string>& hostOptions, const std::string& workingDir) {
  std::vector<std::string> command = wineCommand(host, hostOptions);
  command.push_back(windowsPath(WindowsFiles::plugin));
  return runHostCommand(std::move(command), script, windowsPath, workingDir);
}

std::string withLfLineEnds(const std::string& text) {
  std::string converted;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    converted += text[i];
  }
  return converted;
}

std::string withCrLfLineEnds(const std::string& text) {
  std::string converted;
  for (const char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

bool hasOnlyCrLfLineEnds(const std::string& text) {
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool crBeforeLf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    const bool lfAfterCr = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
    if ((text[i] == '\r' && !crBeforeLf) || (text[i] == '\n' && !lfAfterCr)) return false;
  }
  return true;
}

}  // namespace duv::testing
