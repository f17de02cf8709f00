#include "numerics/motion_summary.h"

#include <algorithm>

namespace duv {
namespace {

double shareOf(std::size_t count, std::size_t volumes) {
  return volumes == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(volumes);
}

// The limits gone beyond, in MotionMeasure order.
std::vector<MotionExcess> excessesOf(const MotionSummary& summary,
                                     const MotionSummaryOptions& options) {
  std::vector<MotionExcess> excesses;
  const auto& limits = options.limits;
  if (limits.meanDisplacement && summary.meanDisplacement > *limits.meanDisplacement) {
    excesses.push_back(
        {MotionMeasure::meanDisplacement, summary.meanDisplacement, *limits.meanDisplacement});
  }
  if (summary.limitedShare && summary.limitedShare->share > limits.shareAbove->share) {
    excesses.push_back({MotionMeasure::shareAbove, summary.limitedShare->share,
                        limits.shareAbove->share, limits.shareAbove->threshold});
  }
  if (limits.largestDisplacement && summary.maxDisplacement > *limits.largestDisplacement) {
    excesses.push_back(
        {MotionMeasure::largestDisplacement, summary.maxDisplacement, *limits.largestDisplacement});
  }
  if (summary.tooManyFlagged) {
    excesses.push_back({MotionMeasure::flaggedShare, summary.flaggedShare, options.maxFlaggedShare,
                        options.spikeThreshold});
  }
  return excesses;
}

std::size_t countAbove(const std::vector<double>& displacement, double threshold) {
  return static_cast<std::size_t>(
      std::count_if(displacement.begin(), displacement.end(),
                    [threshold](double value) { return value > threshold; }));
}

}  // namespace

MotionSummary summarizeMotion(const std::vector<double>& displacement,
                              const MotionSummaryOptions& options) {
  MotionSummary summary;
  summary.volumes = displacement.size();
  if (displacement.size() > 1) {
    double sum = 0.0;
    for (std::size_t t = 1; t < displacement.size(); ++t) sum += displacement[t];
    summary.meanDisplacement = sum / static_cast<double>(displacement.size() - 1);
  }
  if (!displacement.empty()) {
    summary.maxDisplacement = *std::max_element(displacement.begin(), displacement.end());
  }

  for (const auto threshold : options.thresholds) {
    const auto count = countAbove(displacement, threshold);
    summary.aboveThresholds.push_back({threshold, count, shareOf(count, summary.volumes)});
  }
  for (std::size_t t = 0; t < displacement.size(); ++t) {
    if (displacement[t] > options.spikeThreshold) summary.flaggedVolumes.push_back(t);
  }
  summary.flaggedShare = shareOf(summary.flaggedVolumes.size(), summary.volumes);
  summary.tooManyFlagged = summary.flaggedShare > options.maxFlaggedShare;
  if (const auto& limit = options.limits.shareAbove) {
    const auto count = countAbove(displacement, limit->threshold);
    summary.limitedShare = ThresholdCount{limit->threshold, count, shareOf(count, summary.volumes)};
  }
  summary.excesses = excessesOf(summary, options);
  return summary;
}

std::int64_t scrubbedDegreesOfFreedom(std::int64_t degreesOfFreedom, const MotionSummary& summary) {
  return degreesOfFreedom - static_cast<std::int64_t>(summary.flaggedVolumes.size());
}

}  // namespace duv
