#include "plugin/module_lookup.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace duv {

namespace {

std::string_view lastComponent(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string executablePath() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

struct SharedObjectSearch {
  std::string_view fileName;
  std::string path;
};

int matchSharedObject(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<SharedObjectSearch*>(data);
  const std::string_view path = info->dlpi_name != nullptr ? info->dlpi_name : "";
  // The executable is listed with an empty name; it is matched by its own path.
  if (path.empty() || lastComponent(path) != search->fileName) return 0;
  search->path = path;
  return 1;
}

link_map* linkMapOf(void* handle) {
  link_map* map = nullptr;
  return dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 ? map : nullptr;
}

link_map* linkMapContaining(void* address) {
  Dl_info info;
  link_map* map = nullptr;
  return dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) != 0 ? map
                                                                                       : nullptr;
}

}  // namespace

// A handle of dlopen counts as a reference; it is released again when the object goes, so
// that finding a module leaves it as loaded as it was.
LoadedModule LoadedModule::find(const char* fileName) {
  if (lastComponent(executablePath()) == fileName) return LoadedModule(dlopen(nullptr, RTLD_LAZY));
  SharedObjectSearch search{fileName, {}};
  if (dl_iterate_phdr(matchSharedObject, &search) == 0) return LoadedModule(nullptr);
  return LoadedModule(dlopen(search.path.c_str(), RTLD_LAZY | RTLD_NOLOAD));
}

LoadedModule::~LoadedModule() {
  if (handle_ != nullptr) dlclose(handle_);
}

// dlsym searches the module's dependencies too, and for the executable the whole global
// scope; only a definition inside the module itself is what the module exports.
HostFunctionAddress LoadedModule::function(const char* name) const {
  void* address = dlsym(handle_, name);
  if (address == nullptr) return nullptr;
  const link_map* module = linkMapOf(handle_);
  if (module == nullptr || linkMapContaining(address) != module) return nullptr;
  return reinterpret_cast<HostFunctionAddress>(address);
}

}  // namespace duv
