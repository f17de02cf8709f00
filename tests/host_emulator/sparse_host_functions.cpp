// A host that exports its version query and the string-parameter getter only: the plug-in can
// read the task but lacks what every task needs.

#include "tests/host_emulator/emulated_host.h"

extern "C" {

void znGetVersionOfHalvernZN(int* major, int* minor, int* subVersion) {
  duv::emulator::getVersion("", major, minor, subVersion);
}

void znGetStringParameter(const char* name, char* buffer) {
  duv::emulator::getStringParameter("", name, buffer);
}
}
