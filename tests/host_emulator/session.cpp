#include "tests/host_emulator/session.h"

#include <istream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "plugin/plugin_interface.h"
#include "tests/host_emulator/emulated_host.h"
#include "tests/host_emulator/text_escape.h"

namespace duv::emulator {

namespace {

using CreatePlugin = HKZNPluginInterface* (*)();
using InformationFunction = const char* (*)();

template <typename Function>
Function exported(const LoadedLibrary& library, const char* name) {
  const ExportedFunction address = library.function(name);
  if (address == nullptr) throw std::runtime_error(std::string("the plug-in lacks ") + name);
  return reinterpret_cast<Function>(address);
}

const char* boolText(bool value) { return value ? "true" : "false"; }

// Plug-ins that a script created but did not destroy: the host keeps them until it exits, as a
// host does that never deletes them (deleting would call the host and show in the record).
// The list is never destroyed, so that they stay reachable to the very end.
std::vector<HKZNPluginInterface*>& keptPlugins() {
  static auto* const plugins = new std::vector<HKZNPluginInterface*>;
  return *plugins;
}

class Session {
 public:
  explicit Session(const LoadedLibrary& library) : library_(library) {}
  ~Session() {
    if (plugin_ != nullptr) keptPlugins().push_back(plugin_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  void run(const std::string& command, const std::string& rest) {
    HostState& state = hostState();
    if (command == "version") {
      setVersion(rest);
    } else if (command == "string") {
      auto [name, value] = nameAndValue(rest);
      state.stringParameters[name] = value;
    } else if (command == "int") {
      auto [name, value] = nameAndValue(rest);
      state.intParameters[name] = std::stoi(value);
    } else if (command == "open") {
      state.openAnswers.emplace_back(unescaped(rest));
    } else if (command == "open-cancel") {
      state.openAnswers.emplace_back();
    } else if (command == "save") {
      state.saveAnswers.emplace_back(unescaped(rest));
    } else if (command == "save-cancel") {
      state.saveAnswers.emplace_back();
    } else if (command == "info") {
      callInformationFunctions();
    } else if (command == "create") {
      create();
    } else if (command == "init") {
      init();
    } else if (command == "execute") {
      execute();
    } else if (command == "destroy") {
      destroy();
    } else {
      throw std::runtime_error("unknown command");
    }
  }

  void finish() {
    const HostState& state = hostState();
    if (state.openAnswers.empty() && state.saveAnswers.empty()) return;
    recordLine("", "unused dialog answers: " + std::to_string(state.openAnswers.size()) +
                       " open, " + std::to_string(state.saveAnswers.size()) + " save");
  }

 private:
  static void setVersion(const std::string& rest) {
    std::istringstream numbers(rest);
    HostState& state = hostState();
    if (!(numbers >> state.major >> state.minor >> state.subVersion)) {
      throw std::runtime_error("expected three numbers");
    }
  }

  static std::pair<std::string, std::string> nameAndValue(const std::string& rest) {
    const auto blank = rest.find(' ');
    if (blank == std::string::npos) return {rest, std::string()};
    return {rest.substr(0, blank), unescaped(rest.substr(blank + 1))};
  }

  void callInformationFunctions() {
    for (const char* name : {"getPluginName", "getPluginDescription", "getPluginVersion",
                             "getHelpFile", "getGUIScript", "getAuthor"}) {
      const char* text = exported<InformationFunction>(library_, name)();
      recordLine("", std::string(name) + "() returned " + quoted(text));
    }
  }

  void create() {
    if (plugin_ != nullptr) throw std::runtime_error("a plug-in exists already");
    recordLine("", "createPlugin()");
    plugin_ = exported<CreatePlugin>(library_, "createPlugin")();
    if (plugin_ == nullptr) throw std::runtime_error("createPlugin returned null");
  }

  HKZNPluginInterface& plugin() {
    if (plugin_ == nullptr) throw std::runtime_error("no plug-in created");
    return *plugin_;
  }

  void init() {
    HKZNPluginInterface& target = plugin();
    recordLine("", "initPlugin()");
    recordLine("", std::string("initPlugin returned ") + boolText(target.initPlugin()));
  }

  void execute() {
    HKZNPluginInterface& target = plugin();
    recordLine("", "execute()");
    recordLine("", std::string("execute returned ") + boolText(target.execute()));
  }

  void destroy() {
    HKZNPluginInterface* target = &plugin();
    recordLine("", "delete plugin");
    plugin_ = nullptr;
    delete target;
  }

  const LoadedLibrary& library_;
  HKZNPluginInterface* plugin_ = nullptr;
};

}  // namespace

void runSession(const LoadedLibrary& plugin, std::istream& script) {
  Session session(plugin);
  std::string line;
  for (int lineNumber = 1; std::getline(script, line); ++lineNumber) {
    if (line.empty() || line[0] == '#') continue;
    const auto blank = line.find(' ');
    const std::string command = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    try {
      session.run(command, rest);
    } catch (const std::exception& error) {
      throw std::runtime_error("script line " + std::to_string(lineNumber) + " (" + command +
                               "): " + error.what());
    }
  }
  session.finish();
}

}  // namespace duv::emulator
