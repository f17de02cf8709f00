#include "plugin/host_function_table.h"

#include <string_view>

#include "plugin/module_lookup.h"

namespace duv {

// Constant-initialised: the table is empty before any code of the library runs.
constinit HostFunctionTable hostFunctionTable;

static_assert(sizeof(HostFunctionTable) == 190 * sizeof(HostFunctionAddress),
              "the host exports 190 functions");

namespace {

constexpr std::string_view versionQueryName = "znGetVersionOfHalvernZN";

LoadedModule findHostModule() {
  LoadedModule module = LoadedModule::find("Halvern.exe");
  if (!module) module = LoadedModule::find("HalvernZN.exe");
  return module;
}

// Converting from the generic function address is exact: the host exported the function
// with this signature under this name.
template <typename Function>
void bindEntry(const LoadedModule& host, const char* name, Function*& entry) {
  entry = reinterpret_cast<Function*>(host.function(name));
}

}  // namespace

bool bindHostFunctions() {
  try {
    const LoadedModule host = findHostModule();
    if (!host) return false;

    // The version query comes first and decides whether the module is the host at all.
    bindEntry(host, versionQueryName.data(), hostFunctionTable.znGetVersionOfHalvernZN);
    if (hostFunctionTable.znGetVersionOfHalvernZN == nullptr) return false;

#define DUV_BIND_ENTRY(name) \
  if (#name != versionQueryName) bindEntry(host, #name, hostFunctionTable.name);
    DUV_HOST_FUNCTIONS(DUV_BIND_ENTRY, DUV_BIND_ENTRY)
#undef DUV_BIND_ENTRY
    return true;
  } catch (...) {
    // Finding the module may allocate; a failure there means no host.
    return false;
  }
}

bool isVersionAtLeast(int major, int minor, int subVersion, int requiredMajor, int requiredMinor,
                      int requiredSubVersion) {
  if (major != requiredMajor) return major > requiredMajor;
  if (minor != requiredMinor) return minor > requiredMinor;
  return subVersion >= requiredSubVersion;
}

}  // namespace duv
