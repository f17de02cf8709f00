#pragma once

// Spike regressors for the volumes a motion summary flags (motion_summary.h): one confound per
// flagged volume, 1 at that volume and 0 at every other, named as pipelines name theirs.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "design/design_matrix.h"

namespace duv {

inline constexpr std::string_view kSpikePrefix = "motion_outlier";

// "motion_outlier" and the spike's number counted from 0, in at least two digits:
// motion_outlier00 ... motion_outlier99, then motion_outlier100, motion_outlier101, ...
std::string spikeColumnName(std::size_t number);

// Appends one spike column per entry of `flaggedVolumes` (0-based data points, in the order
// given; spike k is named spikeColumnName(k)) as confounds, coloured 255 255 255 as other
// converted confounds: in front of a constant last predictor, otherwise at the end, as the
// merges insert confounds. nrOfPredictors follows; firstConfoundPredictor, includesConstant and
// the header fields' presence are left as they are. A matrix whose lists disagree with its
// nrOfPredictors or nrOfDataPoints breaks the precondition.
// Throws std::invalid_argument "<fileName>: volume <v> is flagged, but the design has <n> data
// points" (v counted from 1) when a flagged volume is not a data point of `design`, before
// anything is appended; a volume listed twice is std::invalid_argument "<fileName>: volume <v>
// is flagged twice".
void appendSpikeColumns(DesignMatrix& design, const std::vector<std::size_t>& flaggedVolumes);

}  // namespace duv
