#pragma once

// duvendal study --submit slurm: the study planned here, then handed to SLURM as an array job
// whose tasks each do one piece of it, and a job that builds the group outputs once they have
// all ended (cli/job_scripts.h names the files).

#include <vector>

#include "cli/study_command.h"
#include "study/run_plan.h"

namespace duv::cli {

// Throws std::invalid_argument (a usage error) for --array-by, --pieces or --sbatch-option
// without --submit, --submit without --out-dir or with --group-only or --run-list, and --run-list
// with --group-only.
void validateSubmitArguments(const StudyArguments& arguments);

// Cuts `runs` (the study as planned: paired, its outputs checked) into pieces: with
// --array-by FIELD, a task per value of FIELD in the order the runs first show it; else
// --pieces N (default: a run a task, at most 100 tasks) of runs in order, each task's primaries
// in a piece file. Writes the scripts and piece files into <out-dir>/slurm/ and makes its logs/
// folder, submits the array with sbatch, then the gathering job after it, and prints both job
// ids and how to follow them. dryRun: prints every file it would write and the sbatch commands,
// and writes and submits nothing. Returns kSuccess. Throws std::runtime_error when FIELD is not
// a field of the runs, N exceeds the runs, sbatch cannot be run or refuses (its exit code and
// what it said), and the errors of writing the files.
int submitStudy(const StudyArguments& arguments, const std::vector<RunPlan>& runs);

}  // namespace duv::cli
