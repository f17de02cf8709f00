// A host that exports only some of the functions the plug-in calls, chosen when it is built:
//   DUV_WITHOUT_LOG          no log, no log tab, no busy cursor
//   DUV_WITHOUT_SAVE_DIALOG  no save dialog
// The plug-in must then run what it can without them and never call an empty entry.

#include "plugin/export.h"
#include "tests/host_emulator/emulated_host.h"

using namespace duv::emulator;

extern "C" {

DUVENDAL_EXPORT void znGetVersionOfHalvernZN(int* major, int* minor, int* subVersion) {
  getVersion("", major, minor, subVersion);
}
DUVENDAL_EXPORT void znMessageBox(const char* text) { messageBox("", text); }
DUVENDAL_EXPORT void znGetOpenFileName(const char* title, const char* second, const char* filter,
                                       char* buffer) {
  getOpenFileName("", title, second, filter, buffer);
}
DUVENDAL_EXPORT void znGetStringParameter(const char* name, char* buffer) {
  getStringParameter("", name, buffer);
}
DUVENDAL_EXPORT int znGetIntParameter(const char* name) { return getIntParameter("", name); }
DUVENDAL_EXPORT void znSetStringParameter(const char* name, const char* text) {
  setStringParameter("", name, text);
}

#ifndef DUV_WITHOUT_LOG
DUVENDAL_EXPORT void znShowLogTab() { showLogTab(""); }
DUVENDAL_EXPORT void znLogText(const char* text) { logText("", text); }
DUVENDAL_EXPORT void znShowBusyCursor() { showBusyCursor(""); }
DUVENDAL_EXPORT void znStopBusyCursor() { stopBusyCursor(""); }
#endif

#ifndef DUV_WITHOUT_SAVE_DIALOG
DUVENDAL_EXPORT int znGetSaveFileName(const char* title, const char* suggestedName,
                                      const char* filter, char* buffer) {
  return getSaveFileName("", title, suggestedName, filter, buffer);
}
#endif
}
