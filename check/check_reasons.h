#pragma once

// Why a checked file is not ok, in short concrete phrases a lab can act on, most important
// first. The check's outputs show them first, and a study keeps them in each run's record.
//
// The forms (names as the design has them; r, cVIF and VIF as the warnings hold them):
//   head motion       "mean FD 0.41 mm > 0.25", "62 % of volumes > 0.2 mm",
//                     "largest FD 5.31 mm > 5", "31 % of volumes > 0.5 mm, scrubbing leaves
//                     12 df" (too many flagged volumes); as motionReasons words them
//   a pair            "Face ~ trans_x r = 0.80" (r signed, two decimals; a task predictor
//                     first), "Face ~ Face copy identical"
//   a VIF             "Face VIF 12.1" (one decimal; "inf" in a dependency)
//   a dependency      "A, B and C linearly dependent", "A all zero", "A and B all constant"
//   no residual df    "no residual df: 20 data points, 24 predictors"
//   non-finite        "A holds NaN or inf"
//   a contrast        "contrast face-house cVIF 12.1", "contrast face-house not estimable"
//
// Order: error, then high, then medium; within a level, head motion, then the pairs of a task
// predictor and a confound, then the design's other warnings (in their own order), then the
// contrasts. Only what counts toward the status is a reason.

#include <string>
#include <vector>

#include "check/check_run.h"

namespace duv {

// The reasons for `file`'s status under `run`'s thresholds: empty for an ok file; for a file not
// read or not checked, why (its error, line breaks turned into blanks). Each reason stands
// alone on one line (no line breaks).
std::vector<std::string> reasonsOf(const CheckedFile& file, const CheckRun& run);

}  // namespace duv
