#pragma once

// The runs a study skips (--allow-missing leaves them out for want of an input) still have a
// record each, status "skipped" with why, where the run's record would go: so the group outputs
// list them, also when built from the records alone (--group-only), and a study run in pieces
// (--only) keeps its pieces' skipped runs too. A skipped record is never up to date: once its
// inputs are there, the run is done.

#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_options.h"
#include "study/run_plan.h"
#include "study/run_record.h"
#include "study/study_runner.h"

namespace duv {

// The record of `run`: its name, fields, primary, confounds and inputs as they are now, the
// options and the tool's version; status failed with `skipped` set, its why as first error and
// only reason; no outputs, no check page.
RunRecord skippedRunRecord(const SkippedRun& run, const std::string& optionsText,
                           const std::string& toolVersion, FileSystem& files);

// Saves the record of each of `skipped` (recordPathOf, making its folder) through `files`, and
// returns `done`, the records of the pairing's runs in their order, with the skipped runs' at
// their places (SkippedRun::before). Throws what writing a record throws.
std::vector<RunRecord> recordSkippedRuns(std::vector<RunRecord> done,
                                         const std::vector<SkippedRun>& skipped,
                                         const RunOptions& options, const RunnerSettings& settings,
                                         FileSystem& files);

}  // namespace duv
