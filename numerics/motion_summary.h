#pragma once

// What a run's framewise displacement (framewise_displacement.h) says about its motion: how
// much, how often above given thresholds, which volumes are spikes to be scrubbed, and which
// limits of its motion rule (motion_rule.h) it goes beyond.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "numerics/motion_rule.h"

namespace duv {

struct MotionSummaryOptions {
  std::vector<double> thresholds{0.2, 0.5};  // mm; counted in this order
  double spikeThreshold = 0.5;               // mm; volumes above it are flagged
  double maxFlaggedShare = 0.25;             // of the volumes; more flagged is too many
  MotionLimits limits;                       // the motion rule's, stringent by default
};

struct ThresholdCount {
  double threshold = 0.0;  // mm
  std::size_t count = 0;   // volumes whose displacement lies strictly above the threshold
  double share = 0.0;      // count / volumes
};

// What a run's motion goes beyond, in the order of this enum: its mean displacement, the share
// of its volumes above the share limit's threshold, its largest displacement, the share of its
// flagged volumes (MotionSummaryOptions::maxFlaggedShare).
enum class MotionMeasure { meanDisplacement, shareAbove, largestDisplacement, flaggedShare };

struct MotionExcess {
  MotionMeasure measure = MotionMeasure::meanDisplacement;
  double value = 0.0;      // mm, or for the shares of the volumes 0 to 1
  double limit = 0.0;      // in the same unit; value is strictly above it
  double threshold = 0.0;  // the shares: mm the volumes counted move more than; else 0
};

struct MotionSummary {
  std::size_t volumes = 0;
  // Over the displacements of volumes 2 ... n, the moves actually measured (the first volume's
  // 0 is a definition, not a measurement); 0 for a single volume.
  double meanDisplacement = 0.0;
  double maxDisplacement = 0.0;
  std::vector<ThresholdCount> aboveThresholds;  // one per threshold, in the options' order
  std::vector<std::size_t> flaggedVolumes;      // 0-based, increasing: above spikeThreshold
  double flaggedShare = 0.0;                    // flaggedVolumes.size() / volumes
  bool tooManyFlagged = false;                  // flaggedShare strictly above maxFlaggedShare
  // The volumes above the share limit's threshold; none without a share limit.
  std::optional<ThresholdCount> limitedShare;
  std::vector<MotionExcess> excesses;  // every limit gone beyond, in MotionMeasure order
};

// Summarises one displacement per volume (finite, not negative, as framewiseDisplacement gives
// them). "Above" is strictly above: a volume exactly at a threshold is not counted, nor
// flagged, and a value exactly at a limit is no excess. Shares are of all volumes, the first
// included. An empty series gives volumes 0, every number 0 and no excess.
MotionSummary summarizeMotion(const std::vector<double>& displacement,
                              const MotionSummaryOptions& options = {});

// The residual degrees of freedom left when the flagged volumes are scrubbed (one spike
// regressor, or one dropped volume, each): degreesOfFreedom minus their count. Only the flagged
// volumes count, not their neighbours. The result may be 0 or negative: scrubbing then leaves
// nothing to estimate the noise from, which the caller reports.
std::int64_t scrubbedDegreesOfFreedom(std::int64_t degreesOfFreedom, const MotionSummary& summary);

}  // namespace duv
