#include "check/motion_check.h"

#include <cmath>
#include <utility>

#include "check/cell_text.h"

namespace duv {
namespace {

// A threshold as its user wrote it, without trailing zeros: 0.2, 0.5, 1.
std::string millimetres(double value) { return shortestDigits(value) + " mm"; }

std::string percent(double share) { return fixedDecimals(share * 100.0, 1) + " %"; }

std::string volumes(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " volume" : " volumes");
}

std::string scrubbing(const MotionCheck& motion) {
  return "scrubbing them leaves " + std::to_string(motion.scrubbedDegreesOfFreedom) +
         " residual degrees of freedom";
}

}  // namespace

MotionCheck checkMotion(std::string path, std::vector<double> displacement,
                        const MotionSummaryOptions& options, bool spikesAdded,
                        const DesignCheck& check) {
  MotionCheck motion;
  motion.path = std::move(path);
  motion.summary = summarizeMotion(displacement, options);
  motion.displacement = std::move(displacement);
  motion.spikesAdded = spikesAdded;
  motion.scrubbedDegreesOfFreedom =
      spikesAdded ? check.residualDegreesOfFreedom
                  : scrubbedDegreesOfFreedom(check.residualDegreesOfFreedom, motion.summary);
  return motion;
}

std::optional<CheckLevel> levelOf(const MotionCheck& motion) {
  if (motion.summary.tooManyFlagged) return CheckLevel::high;
  return std::nullopt;
}

std::string motionText(const MotionCheck& motion, const MotionSummaryOptions& options) {
  const auto& s = motion.summary;
  std::string text = "mean FD " + fixedDecimals(s.meanDisplacement, 2) + " mm, largest " +
                     fixedDecimals(s.maxDisplacement, 2) + " mm";
  for (std::size_t i = 0; i < s.aboveThresholds.size(); ++i) {
    const auto& above = s.aboveThresholds[i];
    text += (i == 0 ? "; above " : ", above ") + millimetres(above.threshold) + ": " +
            (above.count == 0 ? "0" : volumes(above.count) + " (" + percent(above.share) + ")");
  }
  text += "; " + volumes(s.flaggedVolumes.size()) + " flagged above " +
          millimetres(options.spikeThreshold) +
          (motion.spikesAdded ? ", each a spike column" : "") + ", " + scrubbing(motion);
  return text;
}

std::string motionWarningText(const MotionCheck& motion, const MotionSummaryOptions& options) {
  return "head motion: " + percent(motion.summary.flaggedShare) +
         " of the volumes move more than " + millimetres(options.spikeThreshold) + " (more than " +
         fixedDecimals(options.maxFlaggedShare * 100.0, 0) + " %); " + scrubbing(motion);
}

}  // namespace duv
