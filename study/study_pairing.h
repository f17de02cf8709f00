#pragma once

// A study's runs from patterns: every file the primary pattern names (a task design), each paired
// with one file per confound pattern, the one that fills the same fields.
//   --primary 'sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm'
//   --confounds-from 'derivatives/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_confounds.tsv'
// Patterns are study/study_pattern.h's; a confound pattern may use a subset of the primary's
// fields (a file shared by the runs of a subject), never a field the primary lacks.

#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_plan.h"
#include "study/run_selection.h"

namespace duv {

struct PairingOptions {
  RunSelection only;          // --only
  bool allowMissing = false;  // leave out the runs problems concern instead of failing
};

// Pairs the files below `root` (the folder relative patterns start from; the tool passes "", the
// current folder), looked for through `files`. Paths in the result are joinPath(root, the
// pattern filled) (design/paths.h; each "*" as the file's name has it): as written for root ""
// and absolute patterns, so that messages show the user's paths. Runs come sorted by their
// primary's path; a run's name is its primary's file name, its fields the primary pattern's with
// their values (in order of first use), its output folder the primary's folder relative to where
// the primary pattern starts
// ("data/sub-{sub}/func/x_{run}.sdm" and "data/sub-01/func/x_1.sdm" give "sub-01/func").
//
// Only the runs --only selects are paired, and only their problems reported: a primary --only
// leaves out still takes its partners (they do not lack a primary), and a confound file whose
// fields --only rules out is not reported. The problems, in this order, each a PairingProblem
// with its message:
//   --primary 'P' matches no file (searched from S)            (also --confounds-from; S: where the
//                                                               pattern starts, "." for root "")
//   sub-03/x.sdm: no file for --confounds-from 'C' (looked for d/sub-03/c.tsv)   (by primary, then
//                                                               confound pattern)
//   sub-03/x.sdm: 2 files for --confounds-from 'C', where one is needed (d/a.tsv, d/b.tsv)
//                                                              (a "*" lets both fill its fields)
//   d/sub-09/c.tsv: no primary for it (looked for sub-09/x_{run}.sdm)            (by confound
//                                                               pattern, then path; fields the
//                                                               confound pattern lacks as written)
// A confound pattern matching nothing is reported once, not for every primary; when the primary
// pattern matches nothing, no confound file is reported as lacking its primary. A selected
// primary that lacks a confound file is a skipped run (StudyPairing::skipped), its why each
// "no file for --confounds-from 'C' (looked for d/sub-03/c.tsv)", also for a pattern matching
// nothing; a confound file without its primary is no run.
//
// Throws std::invalid_argument, before any folder is read, for usage errors: a pattern that does
// not parse (parseStudyPattern's messages), and
//   at least one --confounds-from is needed
//   --confounds-from 'C': field {ses} is not in --primary 'P' (it has sub, run)
//   --confounds-from 'C' is given twice
//   --confounds-from 'C' is the --primary pattern
//   --only ...: the patterns have no field ...     (checkSelectedFields)
// Throws std::runtime_error when a folder on the way cannot be listed (findPatternFiles), and
// StudyPairingError (settlePairing, study/run_plan.h) when there are problems and not
// `allowMissing`, or when no run is left; then, with no problem, the reason is
//   --only keeps none of the 24 runs found
StudyPairing pairStudyFiles(const std::string& root, const std::string& primaryPattern,
                            const std::vector<std::string>& confoundPatterns,
                            const PairingOptions& options, FileSystem& files);

}  // namespace duv
