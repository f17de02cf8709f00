// TEMPORARY: stands in for the two workflows until they exist in the core, so that the
// plug-in links. Remove together with its line in CMakeLists.txt.

#include <stdexcept>

#include "merge/merge_workflow.h"
#include "stats/correlate_task.h"

namespace duv {

bool mergeSdms(HostServices&, FileSystem&, bool) { throw std::runtime_error("not yet"); }

void correlateSdm(HostServices&, FileSystem&) { throw std::runtime_error("not yet"); }

}  // namespace duv
