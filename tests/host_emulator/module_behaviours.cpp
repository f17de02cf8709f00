// The host functions of the host module serve the behaviours of the executable that loaded it.

#include <cstdio>
#include <cstdlib>

#include "plugin/export.h"
#include "tests/host_emulator/host_behaviours.h"

namespace duv::emulator {

namespace {
const HostBehaviours* attached = nullptr;
}

const char* const servingModule = "Halvern.exe";

const HostBehaviours& servingBehaviours() {
  if (attached == nullptr) {
    std::fputs("Halvern.exe: a host function was called before the module was attached\n", stderr);
    std::abort();
  }
  return *attached;
}

}  // namespace duv::emulator

extern "C" DUVENDAL_EXPORT void attachHostBehaviours(
    const duv::emulator::HostBehaviours* behaviours) {
  duv::emulator::attached = behaviours;
}
