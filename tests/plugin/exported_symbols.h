#pragma once

// What the plug-in library exports, and nothing more: the entry points that the host links
// against, under the decorated names of the GNU toolchains (the same on ELF platforms and for
// MinGW on Windows).

#include <algorithm>
#include <string>
#include <vector>

namespace duv::testing {

// Sorted.
inline std::vector<std::string> hostInterfaceSymbols() {
  std::vector<std::string> symbols = {
      // the seven free functions
      "createPlugin", "getAuthor", "getGUIScript", "getHelpFile", "getPluginDescription",
      "getPluginName", "getPluginVersion",
      // HKZNPluginInterface: constructors, copy constructors, destructors, copy assignment
      "_ZN19HKZNPluginInterfaceC1Ev", "_ZN19HKZNPluginInterfaceC2Ev",
      "_ZN19HKZNPluginInterfaceC1ERKS_", "_ZN19HKZNPluginInterfaceC2ERKS_",
      "_ZN19HKZNPluginInterfaceD0Ev", "_ZN19HKZNPluginInterfaceD1Ev",
      "_ZN19HKZNPluginInterfaceD2Ev", "_ZN19HKZNPluginInterfaceaSERKS_",
      // its virtual table, type information and type name
      "_ZTV19HKZNPluginInterface", "_ZTI19HKZNPluginInterface", "_ZTS19HKZNPluginInterface",
      // duvendal: constructors, destructors, execute, initPlugin
      "_ZN8duvendalC1Ev", "_ZN8duvendalC2Ev", "_ZN8duvendalD0Ev", "_ZN8duvendalD1Ev",
      "_ZN8duvendalD2Ev", "_ZN8duvendal7executeEv", "_ZN8duvendal10initPluginEv",
      // its virtual table, type information and type name
      "_ZTV8duvendal", "_ZTI8duvendal", "_ZTS8duvendal"};
  std::sort(symbols.begin(), symbols.end());
  return symbols;
}

}  // namespace duv::testing
