#pragma once

#include <cstddef>

#include "design/file_system.h"
#include "merge/host_services.h"

namespace duv {

// The merge task. withPrimary: merge the primary design ("sdm1") with every secondary one
// ("sdms2"), one result each; otherwise merge all secondary designs into one result. Reads the
// options "ztans", "baseline" and "allcorr", saves each result where the save dialog says and,
// with "allcorr", writes its report and table beside it.
// The reports' fits run on `workers` threads, the calling one among them (1: the calling thread
// only, as in the plug-in); the files are the same for any number.
// Returns false when it stopped at a data-point mismatch (told in a message box, nothing
// saved); throws on every other failure, results saved before it staying on disk.
bool mergeSdms(HostServices& host, FileSystem& files, bool withPrimary, std::size_t workers = 1);

}  // namespace duv
