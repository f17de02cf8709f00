#pragma once

#include "plugin/host_functions.h"

namespace duv {

// The addresses of the host's exported functions, one entry per function, named after it. An
// entry is empty (null) until binding finds its function, and stays empty when the host does
// not export that name: whoever calls an entry checks it first.
struct HostFunctionTable {
#define DUV_CALLED_ENTRY(name) host_signature::name* name = nullptr;
#define DUV_OPAQUE_ENTRY(name) host_signature::Opaque* name = nullptr;
  DUV_HOST_FUNCTIONS(DUV_CALLED_ENTRY, DUV_OPAQUE_ENTRY)
#undef DUV_CALLED_ENTRY
#undef DUV_OPAQUE_ENTRY
};

// The one table of the process. Empty when the library is loaded; only bindHostFunctions
// writes it, and nothing clears it.
extern HostFunctionTable hostFunctionTable;

// Finds the host's executable module among the modules already loaded in the process,
// "Halvern.exe" first, then "HalvernZN.exe", and fills hostFunctionTable from it by name, in
// binding order. Returns false, leaving the table as it was, when neither is loaded; returns
// false, after storing the empty version entry, when the module does not export
// znGetVersionOfHalvernZN. Any other name the module lacks leaves its entry empty and binding
// succeeds. Throws nothing.
bool bindHostFunctions();

// Whether the version major.minor.subVersion is at least the required one, comparing major,
// then minor, then sub-version as numbers.
bool isVersionAtLeast(int major, int minor, int subVersion, int requiredMajor, int requiredMinor,
                      int requiredSubVersion);

}  // namespace duv
