// Every function of the host, exported under its plain C name. The eleven that the plug-in
// calls behave as the host's do; a call of any other ends the session as failed.
//
// Built into the emulated host executables and into a separately loadable host module; the
// behaviours behind the functions, and the module name that the record shows, come from
// host_behaviours.h.

#include <type_traits>

#include "plugin/export.h"
#include "plugin/host_functions.h"
#include "tests/host_emulator/host_behaviours.h"

using duv::emulator::servingBehaviours;
using duv::emulator::servingModule;

extern "C" {

DUVENDAL_EXPORT void znGetVersionOfHalvernZN(int* major, int* minor, int* subVersion) {
  servingBehaviours().getVersion(servingModule, major, minor, subVersion);
}
DUVENDAL_EXPORT void znShowLogTab() { servingBehaviours().showLogTab(servingModule); }
DUVENDAL_EXPORT void znLogText(const char* text) {
  servingBehaviours().logText(servingModule, text);
}
DUVENDAL_EXPORT void znMessageBox(const char* text) {
  servingBehaviours().messageBox(servingModule, text);
}
DUVENDAL_EXPORT void znGetOpenFileName(const char* title, const char* second, const char* filter,
                                       char* buffer) {
  servingBehaviours().getOpenFileName(servingModule, title, second, filter, buffer);
}
DUVENDAL_EXPORT int znGetSaveFileName(const char* title, const char* suggestedName,
                                      const char* filter, char* buffer) {
  return servingBehaviours().getSaveFileName(servingModule, title, suggestedName, filter, buffer);
}
DUVENDAL_EXPORT void znShowBusyCursor() { servingBehaviours().showBusyCursor(servingModule); }
DUVENDAL_EXPORT void znStopBusyCursor() { servingBehaviours().stopBusyCursor(servingModule); }
DUVENDAL_EXPORT void znGetStringParameter(const char* name, char* buffer) {
  servingBehaviours().getStringParameter(servingModule, name, buffer);
}
DUVENDAL_EXPORT int znGetIntParameter(const char* name) {
  return servingBehaviours().getIntParameter(servingModule, name);
}
DUVENDAL_EXPORT void znSetStringParameter(const char* name, const char* text) {
  servingBehaviours().setStringParameter(servingModule, name, text);
}

#define DUV_CALLED(name)
#define DUV_UNEXPECTED(name) \
  DUVENDAL_EXPORT void name() { servingBehaviours().unexpectedCall(servingModule, #name); }
DUV_HOST_FUNCTIONS(DUV_CALLED, DUV_UNEXPECTED)
#undef DUV_CALLED
#undef DUV_UNEXPECTED
}

// The plug-in calls these through its own declarations; they must agree.
#define DUV_SAME_SIGNATURE(name)                                           \
  static_assert(std::is_same_v<decltype(name), duv::host_signature::name>, \
                #name " differs from the signature the plug-in calls");
#define DUV_NOTHING(name)
DUV_HOST_FUNCTIONS(DUV_SAME_SIGNATURE, DUV_NOTHING)
