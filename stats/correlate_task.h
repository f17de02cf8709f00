#pragma once

#include <cstddef>

#include "design/file_system.h"
#include "merge/host_services.h"

namespace duv {

// The single-matrix correlation task: reads the SDM named by "sdm1", writes its correlation
// report (.txt) and then its correlation table (.csv) beside it and logs where the table went.
// The report's fits run on `workers` threads, the calling one among them (1: the calling
// thread only, as in the plug-in); the files are the same for any number.
// Throws on failure; the steps after the failing one do not run.
void correlateSdm(HostServices& host, FileSystem& files, std::size_t workers = 1);

}  // namespace duv
