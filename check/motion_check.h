#pragma once

// Head motion beside a design check: how much the head moved (framewise displacement, from a
// motion input, never from merged or z-transformed columns), how often above given thresholds,
// which limits of the motion rule it goes beyond, and what scrubbing the flagged volumes would
// cost.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/design_check.h"
#include "design/design_matrix.h"
#include "numerics/motion_summary.h"

namespace duv {

struct MotionCheck {
  std::string path;                  // the motion input
  std::vector<double> displacement;  // mm, one per volume, 0 at the first
  MotionSummary summary;             // with the check's thresholds
  bool spikesAdded = false;          // the flagged volumes are spike columns of the design
  // The flagged volumes that a confound of the design already regresses out: a column 0 at
  // every data point but that one (the spike columns added, or a table's own outlier columns).
  std::size_t flaggedInDesign = 0;
  // The design's residual degrees of freedom once the flagged volumes are scrubbed: less one
  // per flagged volume that no spike column of the design regresses out already.
  std::int64_t scrubbedDegreesOfFreedom = 0;
};

// The data points (0-based, increasing, each once) at which a confound of `design` is a spike:
// not 0 there and 0 at every other data point. `check` is the design's.
std::vector<std::size_t> spikeVolumesOf(const DesignMatrix& design, const DesignCheck& check);

// Summarises `displacement` for `design`, whose check is `check`. Precondition: the design has
// as many data points as `displacement` has volumes.
MotionCheck checkMotion(std::string path, std::vector<double> displacement,
                        const MotionSummaryOptions& options, bool spikesAdded,
                        const DesignMatrix& design, const DesignCheck& check);

// High when the motion goes beyond a limit of its rule or more volumes are flagged than the
// options allow (a run that scrubbing would empty); none otherwise. It counts toward the
// design's status.
std::optional<CheckLevel> levelOf(const MotionCheck& motion);

// Each limit gone beyond, in words, in the order of the summary's excesses:
//   "mean FD 0.41 mm > 0.25", "62 % of volumes > 0.2 mm", "largest FD 5.31 mm > 5",
//   "31 % of volumes > 0.5 mm, scrubbing leaves 12 df" (the flagged volumes).
// Displacements have two decimals, shares whole percents; more decimals (up to six) where
// fewer would round the value down to its limit, so that the text never shows a value at its
// limit ("mean FD 0.2504 mm > 0.25", "20.4 % of volumes > 0.2 mm" for a limit of 20 %).
std::vector<std::string> motionReasons(const MotionCheck& motion);

// The summary in words: "mean FD 0.09 mm, largest 0.16 mm; above 0.2 mm: 3 volumes (1.3 %),
// above 0.5 mm: 0; 0 volumes flagged above 0.5 mm, scrubbing them leaves 229 residual degrees
// of freedom".
std::string motionText(const MotionCheck& motion, const MotionSummaryOptions& options);

// The warning in words, for a level: "head motion: " and each limit gone beyond, separated by
// "; ", as motionReasons words them, except the flagged volumes: "31.3 % of the volumes move
// more than 0.5 mm (more than 25 %); scrubbing them leaves 12 residual degrees of freedom".
std::string motionWarningText(const MotionCheck& motion, const MotionSummaryOptions& options);

}  // namespace duv
