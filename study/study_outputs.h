#pragma once

// Every file a study writes, planned before any run starts, so that a study whose outputs would
// replace one of its inputs, or each other, is refused before anything is written.

#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_options.h"
#include "study/run_plan.h"

namespace duv {

struct StudyOutputSettings {
  std::string studyFolder;            // the output folder
  bool groupOutputs = true;           // group.tsv and group.html in it
  std::vector<std::string> sources;   // files the study reads beside the runs' (a manifest...)
  std::vector<RunPlan> skipped = {};  // runs skipped (--allow-missing): only their records
};

// Throws as checkOutputs (workflow/output_plan.h) when a file of one run (its designs, report
// and table, check page, record), or a group output, would be an input of any run, one of
// settings.sources, or another output; and as checkReportsReplaceable when a report or table
// would replace a file the tool did not write. A run whose outputs cannot be named (an input of
// an unknown format) has only its record planned: the run fails when it is done, writing nothing
// else. A skipped run has its record planned alone (study/skipped_runs.h).
void checkStudyOutputs(const std::vector<RunPlan>& plans, const RunOptions& options,
                       const StudyOutputSettings& settings, FileSystem& files);

}  // namespace duv
