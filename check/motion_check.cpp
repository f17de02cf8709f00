#include "check/motion_check.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "check/cell_text.h"
#include "design/number_text.h"

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

// Which flagged volumes the design regresses out already, by its spike columns.
std::string spikeColumnsText(const MotionCheck& motion) {
  const auto flagged = motion.summary.flaggedVolumes.size();
  if (motion.spikesAdded || (flagged > 0 && motion.flaggedInDesign == flagged)) {
    return ", each a spike column";
  }
  if (motion.flaggedInDesign == 0) return "";
  if (motion.flaggedInDesign == 1) return ", 1 of them a spike column";
  return ", " + std::to_string(motion.flaggedInDesign) + " of them spike columns";
}

// `value`, strictly above `limit`, with `decimals` decimals or as many more (up to six) as it
// takes for the text not to read as the limit or below it.
std::string aboveLimit(double value, double limit, int decimals) {
  constexpr int kMostDecimals = 6;
  for (;; ++decimals) {
    auto text = fixedDecimals(value, decimals);
    if (decimals >= kMostDecimals) return text;
    const auto scanned = scanDouble(text.data(), text.data() + text.size());
    if (scanned.status == NumberScan::ok && scanned.value > limit) return text;
  }
}

std::string reasonOf(const MotionExcess& excess, const MotionCheck& motion) {
  const auto percentOf = [&excess] {
    return aboveLimit(excess.value * 100.0, excess.limit * 100.0, 0) + " % of volumes > " +
           millimetres(excess.threshold);
  };
  switch (excess.measure) {
    case MotionMeasure::meanDisplacement:
      return "mean FD " + aboveLimit(excess.value, excess.limit, 2) + " mm > " +
             shortestDigits(excess.limit);
    case MotionMeasure::shareAbove:
      return percentOf();
    case MotionMeasure::largestDisplacement:
      return "largest FD " + aboveLimit(excess.value, excess.limit, 2) + " mm > " +
             shortestDigits(excess.limit);
    case MotionMeasure::flaggedShare:
      return percentOf() + ", scrubbing leaves " + std::to_string(motion.scrubbedDegreesOfFreedom) +
             " df";
  }
  return "";
}

// A data point at which `values` is not 0 while it is 0 at every other; none otherwise.
std::optional<std::size_t> spikeAt(const std::vector<float>& values) {
  std::optional<std::size_t> at;
  for (std::size_t t = 0; t < values.size(); ++t) {
    if (values[t] == 0.0F) continue;
    if (at || !std::isfinite(values[t])) return std::nullopt;
    at = t;
  }
  return at;
}

}  // namespace

std::vector<std::size_t> spikeVolumesOf(const DesignMatrix& design, const DesignCheck& check) {
  std::vector<std::size_t> volumes;
  for (std::size_t p = 0; p < check.columns.size() && p < design.values.size(); ++p) {
    if (check.columns[p].role != ColumnRole::confound) continue;
    if (const auto at = spikeAt(design.values[p])) volumes.push_back(*at);
  }
  std::sort(volumes.begin(), volumes.end());
  volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());
  return volumes;
}

MotionCheck checkMotion(std::string path, std::vector<double> displacement,
                        const MotionSummaryOptions& options, bool spikesAdded,
                        const DesignMatrix& design, const DesignCheck& check) {
  MotionCheck motion;
  motion.path = std::move(path);
  motion.summary = summarizeMotion(displacement, options);
  motion.displacement = std::move(displacement);
  motion.spikesAdded = spikesAdded;
  // A flagged volume that a spike column regresses out already took its degree of freedom
  // from the design: scrubbing it again would count it twice.
  const auto spikes = spikeVolumesOf(design, check);
  const auto& flagged = motion.summary.flaggedVolumes;
  motion.flaggedInDesign = static_cast<std::size_t>(
      std::count_if(flagged.begin(), flagged.end(), [&spikes](std::size_t volume) {
        return std::binary_search(spikes.begin(), spikes.end(), volume);
      }));
  motion.scrubbedDegreesOfFreedom =
      scrubbedDegreesOfFreedom(check.residualDegreesOfFreedom, motion.summary) +
      static_cast<std::int64_t>(motion.flaggedInDesign);
  return motion;
}

std::optional<CheckLevel> levelOf(const MotionCheck& motion) {
  if (!motion.summary.excesses.empty()) return CheckLevel::high;
  return std::nullopt;
}

std::vector<std::string> motionReasons(const MotionCheck& motion) {
  std::vector<std::string> reasons;
  for (const auto& excess : motion.summary.excesses) reasons.push_back(reasonOf(excess, motion));
  return reasons;
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
          millimetres(options.spikeThreshold) + spikeColumnsText(motion) + ", " + scrubbing(motion);
  return text;
}

std::string motionWarningText(const MotionCheck& motion, const MotionSummaryOptions& options) {
  std::string text = "head motion: ";
  for (std::size_t i = 0; i < motion.summary.excesses.size(); ++i) {
    const auto& excess = motion.summary.excesses[i];
    if (i > 0) text += "; ";
    if (excess.measure != MotionMeasure::flaggedShare) {
      text += reasonOf(excess, motion);
      continue;
    }
    text += percent(motion.summary.flaggedShare) + " of the volumes move more than " +
            millimetres(options.spikeThreshold) + " (more than " +
            fixedDecimals(options.maxFlaggedShare * 100.0, 0) + " %); " + scrubbing(motion);
  }
  return text;
}

}  // namespace duv
