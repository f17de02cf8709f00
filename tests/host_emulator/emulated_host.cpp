#include "tests/host_emulator/emulated_host.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/host_emulator/text_escape.h"

namespace duv::emulator {

HostState& hostState() {
  static HostState state;
  return state;
}

void recordLine(std::string_view module, std::string_view line) {
  std::ofstream& record = hostState().record;
  if (!module.empty()) record << '[' << module << "] ";
  // Flushed line by line, so that a session that crashes leaves its record up to the crash.
  record << line << std::endl;
}

void failSession(std::string_view module, std::string_view why) {
  recordLine(module, "SESSION FAILED: " + std::string(why));
  std::_Exit(3);
}

namespace {

std::string call(std::string_view function, std::initializer_list<std::string_view> texts) {
  std::string line(function);
  line += '(';
  bool first = true;
  for (const std::string_view text : texts) {
    if (!first) line += ", ";
    line += quoted(text);
    first = false;
  }
  return line + ')';
}

// The host is not told the size of the plug-in's buffer and copies the whole value; whether it
// fits is the plug-in's concern.
void copyLikeTheHost(char* buffer, const std::string& value) {
  std::strcpy(buffer, value.c_str());  // NOLINT(clang-analyzer-security.insecureAPI.strcpy)
}

std::optional<std::string> nextAnswer(std::deque<std::optional<std::string>>& answers,
                                      std::string_view module, const std::string& line) {
  if (answers.empty()) failSession(module, line + " without a queued answer");
  std::optional<std::string> answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

void getVersion(std::string_view module, int* major, int* minor, int* subVersion) {
  const HostState& state = hostState();
  recordLine(module, "znGetVersionOfHalvernZN() -> " + std::to_string(state.major) + "." +
                         std::to_string(state.minor) + "." + std::to_string(state.subVersion));
  *major = state.major;
  *minor = state.minor;
  *subVersion = state.subVersion;
}

void showLogTab(std::string_view module) { recordLine(module, "znShowLogTab()"); }

void logText(std::string_view module, const char* text) {
  recordLine(module, call("znLogText", {text}));
}

void messageBox(std::string_view module, const char* text) {
  recordLine(module, call("znMessageBox", {text}));
}

void getOpenFileName(std::string_view module, const char* title, const char* second,
                     const char* filter, char* buffer) {
  const std::string line = call("znGetOpenFileName", {title, second, filter});
  const auto answer = nextAnswer(hostState().openAnswers, module, line);
  recordLine(module, line + " -> " + (answer ? quoted(*answer) : "cancelled"));
  if (answer) copyLikeTheHost(buffer, *answer);
}

int getSaveFileName(std::string_view module, const char* title, const char* suggestedName,
                    const char* filter, char* buffer) {
  const std::string line = call("znGetSaveFileName", {title, suggestedName, filter});
  const auto answer = nextAnswer(hostState().saveAnswers, module, line);
  recordLine(module, line + " -> " + (answer ? quoted(*answer) : "cancelled"));
  if (!answer) return 0;
  copyLikeTheHost(buffer, *answer);
  return 1;
}

void showBusyCursor(std::string_view module) { recordLine(module, "znShowBusyCursor()"); }

void stopBusyCursor(std::string_view module) { recordLine(module, "znStopBusyCursor()"); }

void getStringParameter(std::string_view module, const char* name, char* buffer) {
  const auto& parameters = hostState().stringParameters;
  const auto found = parameters.find(name);
  const std::string value = found == parameters.end() ? std::string() : found->second;
  recordLine(module, call("znGetStringParameter", {name}) + " -> " + quoted(value));
  copyLikeTheHost(buffer, value);
}

int getIntParameter(std::string_view module, const char* name) {
  const auto& parameters = hostState().intParameters;
  const auto found = parameters.find(name);
  const int value = found == parameters.end() ? 0 : found->second;
  recordLine(module, call("znGetIntParameter", {name}) + " -> " + std::to_string(value));
  return value;
}

void setStringParameter(std::string_view module, const char* name, const char* text) {
  recordLine(module, call("znSetStringParameter", {name, text}));
  hostState().stringParameters[name] = text;
}

void unexpectedCall(std::string_view module, const char* function) {
  failSession(module, std::string("unexpected call of ") + function);
}

}  // namespace duv::emulator
