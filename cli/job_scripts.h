#pragma once

// The job scripts of a study submitted to SLURM (duvendal study --submit slurm), as text: an
// array job whose tasks each do one piece of the study, and a gathering job that builds the
// group outputs once the array has ended. Every word is quoted for POSIX sh, so that paths and
// options with blanks, quotes or '$' reach the tool as they were given. Nothing here looks at
// the disk or runs anything.
//
// The folder `<out-dir>/slurm/` holds:
//   study.sh              the array job: task N runs `duvendal study <options> <piece N>`
//   group.sh              the gathering job: `duvendal study --group-only --out-dir ...`
//   piece-N.txt           with --pieces: the primaries of task N's runs, one a line
//   logs/study-<array job id>_<task>.log, logs/group-<job id>.log   what each job wrote

#include <string>
#include <string_view>
#include <vector>

#include "cli/submit_arguments.h"

namespace duv::cli {

// `word` in single quotes, each ' in it written '\'' : sh reads it back as it is, whatever it
// holds.
std::string shellQuoted(std::string_view word);

// The words quoted, separated by single blanks.
std::string shellWords(const std::vector<std::string>& words);

// The study's options a task takes: the given ones but the submission's own (--submit,
// --array-by, --pieces, --sbatch-option, --dry-run) and -j (a task uses its CPUs), with the
// paths of --manifest, --primary, --confounds-from, --contrasts and --out-dir put after
// `currentFolder` when relative, and without an --only of the field `arrayBy` (each task selects
// its own value of it). Each as one word "--name=value" ("--name" for a flag given as such), so
// that no value is taken for an option.
std::vector<std::string> taskOptions(const std::vector<GivenOption>& given,
                                     const std::string& currentFolder, const std::string& arrayBy);

// The options the gathering job's `--group-only` takes: taskOptions without those that choose
// or do runs (--manifest, --primary, --confounds-from, --allow-missing, --only, --run-list,
// --force) and --group-only (the job gives its own).
std::vector<std::string> gatherOptions(const std::vector<GivenOption>& given,
                                       const std::string& currentFolder);

struct StudyJobs {
  std::string folder;         // <out-dir>/slurm, absolute, without a trailing separator
  std::string currentFolder;  // where the study was submitted: the jobs run there
  std::string tool;           // the tool's absolute path
  std::vector<std::string> taskOptions;
  std::vector<std::string> gatherOptions;
  std::vector<std::string> pieces;  // the option each task adds, by task number from 0
};

// The array job's script: task N runs the tool with "study", the task options, -j its CPUs
// (SLURM_CPUS_PER_TASK, 1 when unset) and pieces[N].
std::string arrayScript(const StudyJobs& jobs);

// The gathering job's script: the tool with "study", "--group-only" and the gather options.
std::string gatherScript(const StudyJobs& jobs);

// The sbatch command lines, options given with --sbatch-option last so that they win: the
// array of every piece, then the gathering job after it (afterany: it runs however the tasks
// ended, so failed pieces show in the group outputs).
std::vector<std::string> arraySubmission(const StudyJobs& jobs,
                                         const std::vector<std::string>& sbatchOptions);
std::vector<std::string> gatherSubmission(const StudyJobs& jobs, const std::string& arrayJobId,
                                          const std::vector<std::string>& sbatchOptions);

// File names in the folder, and the log folder.
std::string arrayScriptPath(const StudyJobs& jobs);
std::string gatherScriptPath(const StudyJobs& jobs);
std::string pieceFilePath(const StudyJobs& jobs, std::size_t task);
std::string logFolder(const StudyJobs& jobs);

// Runs split in order into `pieces` parts whose sizes differ by at most one, the larger first:
// the index of each part's first run, then `runs` at the end. 0 < pieces <= runs.
std::vector<std::size_t> pieceBounds(std::size_t runs, std::size_t pieces);

}  // namespace duv::cli
