#pragma once

// A study's runs listed in a manifest: tab-separated text, one run a line.
//
//   primary<TAB>confounds<TAB>confounds_motion<TAB>output       header: the column names
//   sub-01/func/run1.sdm<TAB>sub-01/c1.tsv<TAB>sub-01/rp1.txt<TAB>      a run (output empty)
//   /data/s2/run1.sdm<TAB>/data/s2/c1.tsv<TAB><TAB>s2                   a run with one confound
//
// - Columns: `primary`, one or more whose names begin with "confounds", `output` (optional),
//   `contrasts` (optional), and fields: any other column, named by ASCII letters, digits and
//   "_" (`sub`, `task`); no name twice, in any order. A run's confounds are its non-empty cells
//   of the confound columns, in the header's order; a run needs at least one.
// - Fields: a run's cell is its value, a label (letters and digits; study/study_pattern.h) or
//   empty. --only selects by them, contrasts files choose runs by them, group.tsv shows them.
// - Paths are relative to the manifest's folder, or rooted (design/paths.h). A run's
//   output folder is its `output` cell when given and not empty (relative to the study's output
//   folder), else its primary's folder relative to the manifest's folder; neither may lead out
//   of the folder it is relative to. A run's `contrasts` cell, when not empty, names its own
//   contrasts file (check/contrast_expression.h), checked in place of the study's.
// - Lines end with LF or CR LF; a UTF-8 byte order mark before the header is skipped; lines of
//   nothing but blanks and tabs are skipped, before the header too. Every other line has as
//   many cells as the header.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "design/file_system.h"
#include "study/run_plan.h"
#include "study/study_pairing.h"

namespace duv {

struct StudyManifest {
  std::vector<std::string> fields;  // the field columns, in the header's order
  std::vector<RunPlan> runs;        // in the manifest's order; never empty
  std::vector<std::size_t> lines;   // each run's line, from 1
};

// Parses a manifest's text; `manifestPath` names it in messages, and its folder (the text up to
// its last separator) is put before relative paths: the runs' paths are as the runner opens
// them. Reads no file: `files` only makes the manifest's folder absolute, to place a rooted
// primary without an output folder in it. Throws std::runtime_error
// "<manifestPath>, line <n>: <what>":
//   no column 'primary'
//   no column whose name begins with 'confounds'
//   column 'confounds' appears twice
//   unknown column 'a b' (the columns are primary, confounds..., output, contrasts, and fields
//   named by letters, digits and '_')
//   'sub-01' in column 'sub' is not a label (letters and digits)
//   3 cells where the header has 4
//   a NUL byte in column 'primary'           (a NUL byte in the header)
//   the primary is empty
//   no confounds (a run needs at least one)
//   primary 'sub-01/run1.sdm' is listed again (first on line 2)
//   output '../x' leads out of the study's output folder
//   primary '../run1.sdm' lies outside the manifest's folder; give its run an 'output' folder
//   output folder 'sub-01' already has a run named 'run1.sdm' (line 2)
// and "<manifestPath>: <what>": "empty; expected a header line naming the columns primary and
// confounds", "no run follows the header".
StudyManifest parseStudyManifest(std::string_view text, const std::string& manifestPath,
                                 FileSystem& files);

// Reads the manifest at `manifestPath` (as the tool was given it) and checks that every file of
// the runs `options.only` selects is a file, both through `files`. A missing one is a problem
// (missingFile) naming the manifest's line:
//   study.tsv, line 3: sub-02/run1.sdm: no such file
// (or "not a file", or "cannot be looked at (<reason>)"), primary first, then confounds, then
// the contrasts file. Such a run is a skipped run (StudyPairing::skipped), its why
// "sub-02/run1.sdm: no such file" for each file, "; " between. Then reads each contrasts file of
// the runs kept, once, into their plans.
// Throws std::invalid_argument "--only 'ses=1': the manifest has no field ses (it has sub,
// task)" (checkSelectedFields), OpenFileError (design/errors.h) when the manifest or a
// contrasts file cannot be read, as parseStudyManifest and readStudyContrasts
// (study/run_contrasts.h), and StudyPairingError as settlePairing; with no problem, the reason
// for no run is "--only keeps none of the 4 runs listed".
StudyPairing pairStudyManifest(const std::string& manifestPath, const PairingOptions& options,
                               FileSystem& files);

}  // namespace duv
