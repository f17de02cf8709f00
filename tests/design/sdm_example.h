#pragma once

// The file the SDM writer produces for three predictors (a task, a motion confound and the
// constant) and two data points; the readers' and the writer's tests share it.

namespace duv::testing {

inline constexpr const char* kSdmExample =
    "FileVersion:            1\n"
    "\n"
    "NrOfPredictors:         3\n"
    "NrOfDataPoints:         2\n"
    "IncludesConstant:       1\n"
    "FirstConfoundPredictor: 3\n"
    "\n"
    "255 0 0   0 255 0   255 255 255\n"
    "\"Task A\" \"Motion X\" \"Constant\"\n"
    "  1.000000  -0.250000   1.000000\n"
    "  0.000000   0.500000   1.000000\n";

}  // namespace duv::testing
