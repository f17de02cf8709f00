// The host functions of an executable serve its own behaviours.

#include "tests/host_emulator/emulated_host.h"
#include "tests/host_emulator/host_behaviours.h"

namespace duv::emulator {

const char* const servingModule = "";

const HostBehaviours& hostBehaviours() {
  static const HostBehaviours behaviours{
      [](const char* module, int* major, int* minor, int* subVersion) {
        getVersion(module, major, minor, subVersion);
      },
      [](const char* module) { showLogTab(module); },
      [](const char* module, const char* text) { logText(module, text); },
      [](const char* module, const char* text) { messageBox(module, text); },
      [](const char* module, const char* title, const char* second, const char* filter,
         char* buffer) { getOpenFileName(module, title, second, filter, buffer); },
      [](const char* module, const char* title, const char* suggestedName, const char* filter,
         char* buffer) { return getSaveFileName(module, title, suggestedName, filter, buffer); },
      [](const char* module) { showBusyCursor(module); },
      [](const char* module) { stopBusyCursor(module); },
      [](const char* module, const char* name, char* buffer) {
        getStringParameter(module, name, buffer);
      },
      [](const char* module, const char* name) { return getIntParameter(module, name); },
      [](const char* module, const char* name, const char* text) {
        setStringParameter(module, name, text);
      },
      [](const char* module, const char* function) { unexpectedCall(module, function); },
  };
  return behaviours;
}

const HostBehaviours& servingBehaviours() { return hostBehaviours(); }

}  // namespace duv::emulator
