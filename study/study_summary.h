#pragma once

// The summary a study prints when it ends: the runs' counts, then one line for each run that is
// not ok with its first reason, then the subjects whose every run fails a motion rule.
//
//   8 runs: 4 ok, 2 warned, 1 failed, 1 skipped (5 up to date, not done again)
//     failed  sub-02_run-1.sdm: sub-02_run-1.sdm, line 3: expected 6 values, found 5
//     high    sub-03_run-1.sdm: mean FD 0.41 mm > 0.25
//     high    sub-03_run-2.sdm: mean FD 0.38 mm > 0.25
//     skipped sub-04_run-2.sdm: no file for --confounds-from 'c_{run}.tsv' (looked for c_2.tsv)
//     sub 03: every run fails a motion rule (2 runs)
//
// ", N skipped" only when a run was skipped; "(N up to date, ...)" only when N > 0. Failed runs
// first, then warned, then skipped, each in the runs' order; a warned run without reasons (a
// record written before runs kept them) is named alone.

#include <cstddef>
#include <iosfwd>
#include <vector>

#include "study/run_record.h"

namespace duv {

// `upToDate`: the runs found up to date, not done again. Stream failures are left in the
// stream's state.
void writeStudySummary(const std::vector<RunRecord>& records, std::size_t upToDate,
                       std::ostream& out);

}  // namespace duv
