#pragma once

// The one place where the plug-in meets the operating system's module loader: finding a module
// that is already loaded in the process by its file name, and looking up what it exports.

#include <utility>

namespace duv {

// The generic type of an exported function's address; callers convert it to the function's
// real type.
using HostFunctionAddress = void (*)();

// A module (the executable or a shared library) already loaded in this process. Holding one
// keeps nothing alive beyond the lookups: the module stays loaded because whoever loaded it
// still holds it, as the host does with its own executable.
class LoadedModule {
 public:
  // The loaded module whose file name (the last component of its path) is exactly `fileName`,
  // or an empty object when there is none. Never loads a module.
  static LoadedModule find(const char* fileName);

  LoadedModule(LoadedModule&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  LoadedModule& operator=(LoadedModule&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  ~LoadedModule();

  explicit operator bool() const { return handle_ != nullptr; }

  // The address that the module itself exports under `name` (what other modules export does
  // not count); null when it exports no such name. The module must not be empty.
  HostFunctionAddress function(const char* name) const;

 private:
  explicit LoadedModule(void* handle) : handle_(handle) {}

  void* handle_ = nullptr;
};

}  // namespace duv
