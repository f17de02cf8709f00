// The emulated host: loads the plug-in library as the host does and runs a scripted session,
// recording every call between host and plug-in.
//
//   HalvernZN.exe [--host-module MODULE] PLUGIN SCRIPT RECORD
//
// MODULE is a shared object exporting host functions, loaded before the plug-in (to stand for
// a host module of another name). Exit status: 0 after the whole script, 2 for a usage or
// script error (told on stderr), 3 when the plug-in called the host in a way it must not
// (told in the record).

#include <cstdio>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/host_emulator/emulated_host.h"
#include "tests/host_emulator/host_behaviours.h"
#include "tests/host_emulator/library_loader.h"
#include "tests/host_emulator/session.h"

namespace {

using duv::emulator::LoadedLibrary;

// Loads the host module and hands it the behaviours behind its host functions.
void attachHostModule(std::optional<LoadedLibrary>& module, const std::string& path) {
  module.emplace(path);
  const auto attach = reinterpret_cast<duv::emulator::AttachHostBehaviours*>(
      module->function("attachHostBehaviours"));
  if (attach == nullptr) throw std::runtime_error("the host module lacks attachHostBehaviours");
  attach(&duv::emulator::hostBehaviours());
}

int run(std::vector<std::string> arguments) {
  std::string hostModule;
  if (arguments.size() == 5 && arguments[0] == "--host-module") {
    hostModule = arguments[1];
    arguments.erase(arguments.begin(), arguments.begin() + 2);
  }
  if (arguments.size() != 3) {
    std::fputs("usage: HalvernZN.exe [--host-module MODULE] PLUGIN SCRIPT RECORD\n", stderr);
    return 2;
  }
  std::ifstream script(arguments[1]);
  if (!script) throw std::runtime_error("cannot read the script " + arguments[1]);
  std::ofstream& record = duv::emulator::hostState().record;
  // Binary, so that the record's lines end the same on every platform.
  record.open(arguments[2], std::ios::binary);
  if (!record) throw std::runtime_error("cannot write the record " + arguments[2]);

  std::optional<LoadedLibrary> module;
  if (!hostModule.empty()) attachHostModule(module, hostModule);
  // The plug-in stays loaded until the host exits, as hosts keep their plug-ins; its library is
  // never unloaded. (Unloading would lose the 72 KB emergency exception pool of the C++ runtime
  // it carries inside, which the sanitizer build would report as a leak.)
  static const LoadedLibrary* const plugin = new LoadedLibrary(arguments[0]);
  duv::emulator::runSession(*plugin, script);
  return record ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
}
