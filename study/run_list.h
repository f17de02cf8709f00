#pragma once

// A piece of a study named by its runs: a list of primaries, one a line, as a cluster's task
// is given its share of a study (duvendal study --run-list FILE, written by --submit slurm).
//
//   /data/study/sub-01/func/sub-01_task-faces_run-1_design.sdm
//   /data/study/sub-01/func/sub-01_task-faces_run-2_design.sdm
//
// Lines end with LF; empty lines are skipped. A primary is compared by its canonical
// path (FileSystem::canonicalPath), so that the list names the runs however the pairing spells
// them.

#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_plan.h"

namespace duv {

// The runs of `runs` (in their order) whose primaries `listPath` lists. Throws OpenFileError
// when the list cannot be read, and std::runtime_error "<listPath>, line <n>: <what>":
//   '<path>' is not the primary of a run of the study
//   '<path>' is listed again (first on line 2)
// and "<listPath>: no run listed" when it lists none.
std::vector<RunPlan> keepListedRuns(std::vector<RunPlan> runs, const std::string& listPath,
                                    FileSystem& files);

}  // namespace duv
