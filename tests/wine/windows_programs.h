#pragma once

// The programs of the Windows build, run under Wine from the native tests (each run in the
// Windows build's own Wine prefix), and the forms that paths and text files take there.

#include <string>
#include <vector>

#include "tests/plugin/host_session.h"
#include "tests/support/process.h"

namespace duv::testing {

// The built Windows programs, as paths of this machine.
struct WindowsFiles {
  static const std::string plugin;           // Duvendal.dll
  static const std::string halvernZnHost;    // HalvernZN.exe
  static const std::string halvernHost;      // Halvern.exe
  static const std::string otherHost;        // OtherHost.exe
  static const std::string versionOnlyHost;  // HalvernZN.exe exporting its version query only
  static const std::string halvernModule;    // DLL named Halvern.exe
  static const std::string tool;             // duvendal.exe
};

// An absolute path of this machine as the programs under Wine see it: on drive Z:, with
// backslashes.
std::string windowsPath(const std::string& path);

// The command that runs `program` under Wine with `arguments` as they are, in the Windows
// build's own Wine prefix.
std::vector<std::string> wineCommand(const std::string& program,
                                     const std::vector<std::string>& arguments);

// Runs `program` under Wine with `arguments` as they are, in `workingDir` (empty: the current
// folder).
ProcessResult runWindowsProgram(const std::string& program,
                                const std::vector<std::string>& arguments,
                                const std::string& workingDir = "");

// As runHost, for a host of the Windows build with the Windows plug-in. Paths in `hostOptions`
// are passed as they are.
HostRun runWindowsHost(const std::string& host, const std::vector<std::string>& script,
                       const std::vector<std::string>& hostOptions = {},
                       const std::string& workingDir = "");

// `text` with every CR LF turned into LF.
std::string withLfLineEnds(const std::string& text);

// `text` with every LF turned into CR LF.
std::string withCrLfLineEnds(const std::string& text);

// True when `text` ends with a line end and every line ends with CR LF (and no CR stands
// anywhere else).
bool hasOnlyCrLfLineEnds(const std::string& text);

}  // namespace duv::testing
