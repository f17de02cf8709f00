#pragma once

// The `study` subcommand: every run of a study merged and checked on every core, incrementally,
// with the study's group outputs.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/commands.h"
#include "cli/design_command.h"
#include "cli/submit_arguments.h"

namespace duv::cli {

// The most runs at a time (-j): each is a thread with its own stack and the memory of a run in
// flight, and more than this many gain nothing on any machine the tool runs on.
constexpr std::size_t kMostJobs = 256;

struct StudyArguments {
  // The pairing: a manifest, or a primary pattern with confound patterns.
  std::optional<std::string> manifest;
  std::optional<std::string> primaryPattern;
  // Or events files in place of the primaries, whose designs each run builds first with
  // `design` (its --tr and --volumes optional: from the sidecars and the first confound input).
  std::optional<std::string> eventsPattern;
  DesignOptionArguments design;
  std::vector<std::string> confoundPatterns;
  bool allowMissing = false;
  std::vector<std::string> only;       // --only FIELD=VALUE[,VALUE...]
  std::optional<std::string> runList;  // --run-list FILE: only the runs it lists (study/run_list.h)
  bool dryRun = false;
  bool quiet = false;  // no log lines (runs skipped, records ignored) or progress; errors show

  std::string outDir;    // may be empty only for a dry run
  std::size_t jobs = 1;  // 1 to kMostJobs
  bool force = false;
  bool groupOnly = false;

  // The merges' options (baseline, ztrans, allcorr, confounds) and the check's (thresholds,
  // contrasts, head motion, fail-on); their other members are not used.
  MergeArguments merge;
  CheckArguments check;

  SubmitArguments submit;  // --submit and its companions (cli/study_submit.h)
};

// Throws std::invalid_argument (a usage error) for options that do not fit together: neither or
// both of --manifest and --primary, --confounds-from with a manifest, --group-only with a
// pairing, no --out-dir (but for a dry run), and validateSubmitArguments' (cli/study_submit.h).
void validateStudyArguments(const StudyArguments& arguments);

// Pairs the study (listing its problems on standard error), keeps only the runs --run-list
// lists (study/run_list.h), checks its outputs, then: with --submit, hands it to the scheduler
// (submitStudy, cli/study_submit.h; its dry run too); with dryRun, prints the pairing table on
// standard output and stops; else does every run not up to date on `jobs` threads, with a
// progress line on a terminal's standard error (runs done of all, failures so far) and each
// failure as "Error: <run>: <its first error>", then, unless --only or --run-list, writes
// group.tsv and group.html in the output folder from the runs' records (with --only, says on
// standard error that it writes none), and prints the closing summary (study/study_summary.h)
// on standard output. Runs --allow-missing leaves out get a record each (study/skipped_runs.h)
// and change no exit code. Interrupted once the runs are known, it says on standard error
//   Interrupted: 12 of 40 runs done; run the same command again to resume.
// quiet: no problem lines, warnings or progress; errors and the summary still show. groupOnly:
// only the group outputs, from every record found in the output folder; throws
// std::runtime_error when there is none and no record file that cannot be read:
//   no run records were found in out: a study writes one beside each run's outputs
//   (<run>.run.json) when it runs without --group-only
// Returns kFailure when a run failed (or, groupOnly, a record could not be read), else
// kWarningsAtLevel when a run's status reached --fail-on, else kSuccess. Throws the pairing's
// errors, and the errors of writing records and group outputs.
int runStudyCommand(const StudyArguments& arguments);

}  // namespace duv::cli
