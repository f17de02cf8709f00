#pragma once

// The one place where the emulated host meets the operating system's loader: loading a shared
// library (the plug-in, or a host module) into the process and looking up what it exports.

#include <string>

namespace duv::emulator {

// The generic type of an exported function's address; callers convert it to the function's
// real type.
using ExportedFunction = void (*)();

// A library loaded into this process, with every reference resolved at load time; unloaded
// when the object goes.
class LoadedLibrary {
 public:
  // Throws std::runtime_error "cannot load " + path + ": " and the loader's reason.
  explicit LoadedLibrary(const std::string& path);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // The address that the library exports under `name`; null when it exports no such name.
  ExportedFunction function(const char* name) const;

 private:
  void* handle_;
};

}  // namespace duv::emulator
