#pragma once

// A study's runs listed in a manifest: tab-separated text, one run a line.
//
//   primary<TAB>confounds<TAB>confounds_motion<TAB>output       header: the column names
//   sub-01/func/run1.sdm<TAB>sub-01/c1.tsv<TAB>sub-01/rp1.txt<TAB>      a run (output empty)
//   /data/s2/run1.sdm<TAB>/data/s2/c1.tsv<TAB><TAB>s2                   a run with one confound
//
// - Columns: `primary`, one or more whose names begin with "confounds", `output` (optional);
//   no other column, no name twice, in any order. A run's confounds are its non-empty cells of
//   the confound columns, in the header's order; a run needs at least one.
// - Paths are relative to the manifest's folder, or rooted (design/paths.h). A run's
//   output folder is its `output` cell when given and not empty (relative to the study's output
//   folder), else its primary's folder relative to the manifest's folder; neither may lead out
//   of the folder it is relative to.
// - Lines end with LF or CR LF; a UTF-8 byte order mark before the header is skipped; lines of
//   nothing but blanks and tabs are skipped, before the header too. Every other line has as
//   many cells as the header.
// - A manifest's runs have no fields, so --only cannot select among them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "design/file_system.h"
#include "study/run_plan.h"
#include "study/study_pairing.h"

namespace duv {

struct StudyManifest {
  std::vector<RunPlan> runs;       // in the manifest's order; never empty
  std::vector<std::size_t> lines;  // each run's line, from 1
};

// Parses a manifest's text; `manifestPath` names it in messages, and its folder (the text up to
// its last separator) is put before relative paths: the runs' paths are as the runner opens
// them. Reads no file: `files` only makes the manifest's folder absolute, to place a rooted
// primary without an output folder in it. Throws std::runtime_error
// "<manifestPath>, line <n>: <what>":
//   no column 'primary'
//   no column whose name begins with 'confounds'
//   column 'confounds' appears twice
//   unknown column 'subject' (the columns are primary, confounds..., output)
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

// Reads the manifest at `manifestPath` (as the tool was given it) and checks that every file it
// names is a file, both through `files`. A missing one is a problem (missingFile) naming the
// manifest's line:
//   study.tsv, line 3: sub-02/run1.sdm: no such file
// (or "not a file", or "cannot be looked at (<reason>)"), primary first, then confounds. Such a
// run is a skipped run (StudyPairing::skipped), its why "sub-02/run1.sdm: no such file" for each
// file, "; " between.
// Throws std::invalid_argument "--only cannot select the runs of a manifest: they have no fields"
// when `options.only` is not empty, OpenFileError (design/errors.h) when the manifest cannot be
// read, as parseStudyManifest, and StudyPairingError as settlePairing.
StudyPairing pairStudyManifest(const std::string& manifestPath, const PairingOptions& options,
                               FileSystem& files);

}  // namespace duv
