// Every function of the host, exported under its plain C name. The eleven that the plug-in
// calls behave as the host's do; a call of any other ends the session as failed.
//
// Built into the emulated host executables and into a separately loadable host module, which
// sets DUV_SERVING_MODULE to its own file name so that the record tells who served a call.

#include <type_traits>

#include "plugin/host_functions.h"
#include "tests/host_emulator/emulated_host.h"

#ifndef DUV_SERVING_MODULE
#define DUV_SERVING_MODULE ""
#endif

namespace {
constexpr const char* servingModule = DUV_SERVING_MODULE;
}

using namespace duv::emulator;

extern "C" {

void znGetVersionOfHalvernZN(int* major, int* minor, int* subVersion) {
  getVersion(servingModule, major, minor, subVersion);
}
void znShowLogTab() { showLogTab(servingModule); }
void znLogText(const char* text) { logText(servingModule, text); }
void znMessageBox(const char* text) { messageBox(servingModule, text); }
void znGetOpenFileName(const char* title, const char* second, const char* filter, char* buffer) {
  getOpenFileName(servingModule, title, second, filter, buffer);
}
int znGetSaveFileName(const char* title, const char* suggestedName, const char* filter,
                      char* buffer) {
  return getSaveFileName(servingModule, title, suggestedName, filter, buffer);
}
void znShowBusyCursor() { showBusyCursor(servingModule); }
void znStopBusyCursor() { stopBusyCursor(servingModule); }
void znGetStringParameter(const char* name, char* buffer) {
  getStringParameter(servingModule, name, buffer);
}
int znGetIntParameter(const char* name) { return getIntParameter(servingModule, name); }
void znSetStringParameter(const char* name, const char* text) {
  setStringParameter(servingModule, name, text);
}

#define DUV_CALLED(name)
#define DUV_UNEXPECTED(name) \
  void name() { unexpectedCall(servingModule, #name); }
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
