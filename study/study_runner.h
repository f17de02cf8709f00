#pragma once

// A study's runs on every core: each run on one thread (its fits on that thread alone, so that
// the cores are not oversubscribed), at most `jobs` at a time, so that memory is bounded by the
// runs in flight. A run whose record says it is up to date is not done again.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_merge_check.h"
#include "study/run_options.h"
#include "study/run_record.h"

namespace duv {

// How the runner goes about a study (what each run does is RunOptions).
struct RunnerSettings {
  std::string studyFolder;  // the output folder
  std::string toolVersion;
  std::size_t jobs = 1;  // runs at a time, at least 1
  bool force = false;    // do every run again, up to date or not
};

struct StudyProgress {
  std::size_t done = 0;  // runs finished or skipped
  std::size_t total = 0;
  std::size_t failed = 0;
};

struct StudyResult {
  std::vector<RunRecord> records;  // one per plan, in plan order
  std::size_t skipped = 0;         // runs found up to date
  // One line per record found that is not as the study left it (misplacedOutput), naming it;
  // its run is done again. In path order.
  std::vector<std::string> warnings;
};

// The path of a run's record: in its folder (runFolderOf), under runRecordFileName.
std::string recordPathOf(const std::string& studyFolder, const RunPlan& plan);

// Does every plan (mergeAndCheckRun) with `options` and the contrasts that apply to it (those of
// its own contrasts file, or else options.contrasts, chosen by its fields: contrastsOfRun), or
// takes its record when it is up to date (isUpToDate; not with force), saving each new record once
// the run's outputs are written, so that a study stopped half way resumes where it stopped.
// `onRunDone` is called after each run, one call at a time, with the progress and the run's record.
// A run's own errors are in its record; an error saving a record passes on (after the runs in
// flight have ended). When the system cannot make a thread of the min(jobs, runs) asked for, no
// further run is begun and, once the runs in flight have ended, std::runtime_error "Cannot run N
// runs at a time: only M threads could be made for them
// (<the system's reason>)" is thrown. Every file is read, written and looked at through `files`,
// which must be thread-safe when settings.jobs > 1.
StudyResult runStudy(const std::vector<RunPlan>& plans, const RunOptions& options,
                     const RunnerSettings& settings, FileSystem& files,
                     const std::function<void(const StudyProgress&, const RunRecord&)>& onRunDone);

}  // namespace duv
