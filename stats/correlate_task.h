#pragma once

#include "design/file_system.h"
#include "merge/host_services.h"

namespace duv {

// The single-matrix correlation task: reads the SDM named by "sdm1", writes its correlation
// report (.txt) and then its correlation table (.csv) beside it and logs where the table went.
// Throws on failure; the steps after the failing one do not run.
void correlateSdm(HostServices& host, FileSystem& files);

}  // namespace duv
