#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdexcept>
#include <string>

#include "tests/host_emulator/library_loader.h"

namespace duv::emulator {

namespace {

HMODULE moduleOf(void* handle) { return static_cast<HMODULE>(handle); }

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& path) : handle_(LoadLibraryA(path.c_str())) {
  if (handle_ == nullptr) {
    throw std::runtime_error("cannot load " + path + ": error " + std::to_string(GetLastError()));
  }
}

LoadedLibrary::~LoadedLibrary() { FreeLibrary(moduleOf(handle_)); }

ExportedFunction LoadedLibrary::function(const char* name) const {
  return reinterpret_cast<ExportedFunction>(GetProcAddress(moduleOf(handle_), name));
}

}  // namespace duv::emulator
