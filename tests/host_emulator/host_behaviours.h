#pragma once

// What stands behind the exported host functions of one binary. In a host executable that is
// the emulated host itself (emulated_host.h). A host module is a binary of its own, with its own
// copy of the C++ runtime and no way to link against the executable that loads it: the
// executable hands it the behaviours as a table of plain C function pointers, which reach the
// executable's state and record, and the module shares nothing else with it.

namespace duv::emulator {

// One entry per behaviour of emulated_host.h; `module` names the module serving the call.
struct HostBehaviours {
  void (*getVersion)(const char* module, int* major, int* minor, int* subVersion);
  void (*showLogTab)(const char* module);
  void (*logText)(const char* module, const char* text);
  void (*messageBox)(const char* module, const char* text);
  void (*getOpenFileName)(const char* module, const char* title, const char* second,
                          const char* filter, char* buffer);
  int (*getSaveFileName)(const char* module, const char* title, const char* suggestedName,
                         const char* filter, char* buffer);
  void (*showBusyCursor)(const char* module);
  void (*stopBusyCursor)(const char* module);
  void (*getStringParameter)(const char* module, const char* name, char* buffer);
  int (*getIntParameter)(const char* module, const char* name);
  void (*setStringParameter)(const char* module, const char* name, const char* text);
  // Ends the session; never returns.
  void (*unexpectedCall)(const char* module, const char* function);
};

// The executable's behaviours.
const HostBehaviours& hostBehaviours();

// The behaviours behind this binary's host functions, and the name under which it serves
// them (empty for the executable).
const HostBehaviours& servingBehaviours();
extern const char* const servingModule;

// A host module exports a function of this type as "attachHostBehaviours"; the executable
// calls it with its behaviours right after loading the module, before any host function of the
// module can be called.
using AttachHostBehaviours = void(const HostBehaviours* behaviours);

}  // namespace duv::emulator
