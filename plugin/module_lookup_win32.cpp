#include "plugin/module_lookup.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace duv {

// GetModuleHandleA neither loads the module nor takes a reference on it.
LoadedModule LoadedModule::find(const char* fileName) {
  return LoadedModule(GetModuleHandleA(fileName));
}

LoadedModule::~LoadedModule() = default;

HostFunctionAddress LoadedModule::function(const char* name) const {
  return reinterpret_cast<HostFunctionAddress>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace duv
