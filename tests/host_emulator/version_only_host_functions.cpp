// A host that exports its version query and nothing else: binding succeeds, every other
// entry stays empty.

#include "plugin/export.h"
#include "tests/host_emulator/emulated_host.h"

extern "C" DUVENDAL_EXPORT void znGetVersionOfHalvernZN(int* major, int* minor, int* subVersion) {
  duv::emulator::getVersion("", major, minor, subVersion);
}
