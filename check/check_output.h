#pragma once

// The results of checking designs, as text for people and as TSV or JSON for scripts. The TSV
// columns and JSON keys are documented in docs/check-output.md and kept stable: new ones may be
// added, none is renamed or removed.
//
// Text:
//   a summary table, one row per file: file, status, residual degrees of freedom, the strongest
//   pair and the highest VIF; then, per file, a heading line with the status and the warning
//   counts, the counts and rank, one line per warning (worst first) and one line per predictor
//   (role, R², VIF, the three predictors it correlates with most).
// TSV: a header line, then one row per predictor of every readable file (one row with empty
//   predictor fields for a design without predictors, and for a file that cannot be read).
// JSON: one object with the thresholds and one entry per file.

#include <iosfwd>

#include "check/check_run.h"

namespace duv {

// The writers, each in a file of its own (check_text.cpp, check_tsv.cpp, check_json.cpp).
// Stream failures are left in the stream's state, not thrown.
void writeCheckText(const CheckRun& run, std::ostream& out);
void writeCheckTsv(const CheckRun& run, std::ostream& out);
void writeCheckJson(const CheckRun& run, std::ostream& out);

}  // namespace duv
