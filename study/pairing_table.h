#pragma once

// The runs of a study as a table, for the tool's --dry-run: one row per run under a header row,
// each column padded to its widest cell and two blanks from the next (the last not padded):
//
//   sub  run  primary               confounds1         confounds2      output
//   01   1    sub-01/x_run-1.sdm    d/sub-01/c_1.tsv   sub-01/rp.txt   sub-01
//
// Columns: the first run's fields (named by field), the primary, one column per confound
// ("confounds" when no run has more than one, else "confounds1", "confounds2", ...; "-" where a
// run has fewer), and the output folder ("." for the study's output folder itself). Control
// bytes in a cell are written as escapes (\t, \n, \r, \xHH) so that every row stays one line.

#include <iosfwd>
#include <vector>

#include "study/run_plan.h"

namespace duv {

void writePairingTable(const std::vector<RunPlan>& runs, std::ostream& out);

}  // namespace duv
