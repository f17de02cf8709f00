#pragma once

// Runs the emulated host as a separate process, as the real host runs the plug-in: the built
// plug-in library is loaded with the dynamic loader and driven through a session script (see
// tests/host_emulator/session.h for the commands and the record's form).

#include <string>
#include <vector>

namespace duv::testing {

// The built binaries.
struct BuiltFiles {
  static const std::string plugin;           // Duvendal.so
  static const std::string halvernZnHost;    // HalvernZN.exe
  static const std::string halvernHost;      // Halvern.exe
  static const std::string otherHost;        // OtherHost.exe
  static const std::string versionOnlyHost;  // HalvernZN.exe exporting its version query only
  static const std::string sparseHost;       // HalvernZN.exe exporting version and string getter
  static const std::string halvernModule;    // shared object named Halvern.exe
  static const std::string tool;             // duvendal, the command-line tool
};

struct HostRun {
  int exitStatus = -1;              // of the host process; 0 when the whole script ran
  std::vector<std::string> record;  // the record, line by line
  std::string output;               // what the host wrote to stdout and stderr
};

// Runs `host` with the plug-in through `script`, one command per element, passing
// `hostOptions` in front of the usual arguments, in `workingDir` (empty: the current folder).
HostRun runHost(const std::string& host, const std::vector<std::string>& script,
                const std::vector<std::string>& hostOptions = {},
                const std::string& workingDir = "");

// Spells a path of this machine as the host program sees it.
using HostPath = std::string (*)(const std::string& path);

// Runs `command` (a host program, its options and the plug-in), followed by the paths of the
// script file and the record file as `hostPath` spells them, in `workingDir`.
HostRun runHostCommand(std::vector<std::string> command, const std::vector<std::string>& script,
                       HostPath hostPath, const std::string& workingDir);

// The usual host, HalvernZN.exe.
inline HostRun runHost(const std::vector<std::string>& script) {
  return runHost(BuiltFiles::halvernZnHost, script);
}

// The lines of the record that a plug-in logs on a successful initPlugin and on its deletion,
// each host call prefixed with `served`.
std::vector<std::string> initialisedLines(const std::string& served = "");
std::vector<std::string> deletedLines(const std::string& served = "");

// `text` escaped as script values are written and record lines show texts: backslashes,
// double quotes, line breaks, carriage returns and tabs.
std::string escaped(const std::string& text);

}  // namespace duv::testing
