#include <dlfcn.h>

#include <stdexcept>

#include "tests/host_emulator/library_loader.h"

namespace duv::emulator {

// Local binding keeps the plug-in's symbols out of the global scope, as a host that loads
// plug-ins side by side must.
LoadedLibrary::LoadedLibrary(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) throw std::runtime_error("cannot load " + path + ": " + dlerror());
}

LoadedLibrary::~LoadedLibrary() { dlclose(handle_); }

ExportedFunction LoadedLibrary::function(const char* name) const {
  return reinterpret_cast<ExportedFunction>(dlsym(handle_, name));
}

}  // namespace duv::emulator
