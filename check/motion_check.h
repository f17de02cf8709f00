#pragma once

// Head motion beside a design check: how much the head moved (framewise displacement, from a
// motion input, never from merged or z-transformed columns), how often above given thresholds,
// and what scrubbing the flagged volumes would cost.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/design_check.h"
#include "numerics/motion_summary.h"

namespace duv {

struct MotionCheck {
  std::string path;                  // the motion input
  std::vector<double> displacement;  // mm, one per volume, 0 at the first
  MotionSummary summary;             // with the check's thresholds
  bool spikesAdded = false;          // the flagged volumes are spike columns of the design
  // The design's residual degrees of freedom once the flagged volumes are scrubbed: as they are
  // when the spikes were added, else less one per flagged volume.
  std::int64_t scrubbedDegreesOfFreedom = 0;
};

// Summarises `displacement` for a design whose check is `check`. Precondition: the design has
// as many data points as `displacement` has volumes.
MotionCheck checkMotion(std::string path, std::vector<double> displacement,
                        const MotionSummaryOptions& options, bool spikesAdded,
                        const DesignCheck& check);

// High when more volumes are flagged than the options allow (a run that scrubbing would
// empty); none otherwise. It counts toward the design's status.
std::optional<CheckLevel> levelOf(const MotionCheck& motion);

// The summary in words: "mean FD 0.09 mm, largest 0.16 mm; above 0.2 mm: 3 volumes (1.3 %),
// above 0.5 mm: 0; 0 volumes flagged above 0.5 mm, scrubbing them leaves 229 residual degrees
// of freedom".
std::string motionText(const MotionCheck& motion, const MotionSummaryOptions& options);

// The warning in words, for a level: "head motion: 31.3 % of the volumes move more than 0.5 mm
// (more than 25 %); scrubbing them leaves 12 residual degrees of freedom".
std::string motionWarningText(const MotionCheck& motion, const MotionSummaryOptions& options);

}  // namespace duv
