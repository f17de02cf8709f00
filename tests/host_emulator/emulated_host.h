#pragma once

// The emulated host's side of a session: what the script told it (version, dialog parameters,
// queued dialog answers), the record of every call into it, and the behaviour behind each
// host function that the plug-in calls.
//
// The exported host functions are thin wrappers around the behaviours below and may live in
// the executable or in a separately loaded host module, which reaches them through
// host_behaviours.h; `module` names the module that served a call, empty for the executable.
// Every call is recorded as one line, texts quoted and escaped:
// `znGetStringParameter("task") -> "open_sdm"`.

#include <deque>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace duv::emulator {

struct HostState {
  int major = 2;
  int minor = 8;
  int subVersion = 0;
  // Unset parameters read as the empty text and as 0.
  std::map<std::string, std::string> stringParameters;
  std::map<std::string, int> intParameters;
  // Answers for the open and save dialogs, used in order; nothing means the user cancels.
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  std::ofstream record;
};

HostState& hostState();

// Writes one line to the record, prefixed with "[module] " for a call served by a module.
void recordLine(std::string_view module, std::string_view line);

// Records why the session failed and ends the process with exit status 3.
[[noreturn]] void failSession(std::string_view module, std::string_view why);

// Behaviours. Values are copied into the plug-in's buffers as a real host does: with strcpy,
// not knowing their size.
void getVersion(std::string_view module, int* major, int* minor, int* subVersion);
void showLogTab(std::string_view module);
void logText(std::string_view module, const char* text);
void messageBox(std::string_view module, const char* text);
// Uses the next open answer; a cancel leaves the buffer as it was.
void getOpenFileName(std::string_view module, const char* title, const char* second,
                     const char* filter, char* buffer);
// Uses the next save answer: 1 and the path, or 0 on cancel with the buffer untouched.
int getSaveFileName(std::string_view module, const char* title, const char* suggestedName,
                    const char* filter, char* buffer);
void showBusyCursor(std::string_view module);
void stopBusyCursor(std::string_view module);
void getStringParameter(std::string_view module, const char* name, char* buffer);
int getIntParameter(std::string_view module, const char* name);
void setStringParameter(std::string_view module, const char* name, const char* text);
// Every host function that the plug-in must never call.
[[noreturn]] void unexpectedCall(std::string_view module, const char* function);

}  // namespace duv::emulator
