// The emulated host: loads the plug-in library as the host does and runs a scripted session,
// recording every call between host and plug-in.
//
//   HalvernZN.exe [--host-module MODULE] PLUGIN SCRIPT RECORD
//
// MODULE is a shared object exporting host functions, loaded before the plug-in (to stand for
// a host module of another name). Exit status: 0 after the whole script, 2 for a usage or
// script error (told on stderr), 3 when the plug-in called the host in a way it must not
// (told in the record).

#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/host_emulator/emulated_host.h"
#include "tests/host_emulator/session.h"

namespace {

void* load(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) throw std::runtime_error(std::string("cannot load: ") + dlerror());
  return handle;
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
  record.open(arguments[2]);
  if (!record) throw std::runtime_error("cannot write the record " + arguments[2]);

  if (!hostModule.empty()) load(hostModule);
  void* plugin = load(arguments[0]);
  duv::emulator::runSession(plugin, script);
  // The plug-in stays loaded until the host exits, as hosts keep their plug-ins. (Unloading it
  // would lose the 72 KB emergency exception pool of the C++ runtime it carries inside.)
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
