#pragma once

// Why a checked file is not ok, in short concrete phrases a lab can act on ("mean FD 0.41 mm >
// 0.25", "Face ~ trans_x r = 0.80", "contrast face-house cVIF 12.1"), most important first. The
// check's outputs show them first, and a study keeps them in each run's record.

#include <string>
#include <vector>

#include "check/check_run.h"

namespace duv {

// The reasons for `file`'s status under `run`'s thresholds: empty for an ok file; for a file not
// read or not checked, why. Each reason stands alone on one line (no line breaks).
std::vector<std::string> reasonsOf(const CheckedFile& file, const CheckRun& run);

}  // namespace duv
