// A host that exports its version query and the string-parameter getter only: the plug-in can
// read the task but lacks what every task needs.

#include "plugin/export.h"
#include "tests/host_emulator/emulated_host.h"

extern "C" {

DUVENDAL_EXPORT void znGetVersionOfHalvernZN(int* major, int* minor, int* subVersion) {
  duv::emulator::getVersion("", major, minor, subVersion);
}

DUVENDAL_EXPORT void znGetStringParameter(const char* name, char* buffer) {
  duv::emulator::getStringParameter("", name, buffer);
}
}
