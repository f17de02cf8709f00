#include "numerics/motion_summary.h"

#include <algorithm>

namespace duv {
namespace {

double shareOf(std::size_t count, std::size_t volumes) {
  return volumes == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(volumes);
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
    const auto count = static_cast<std::size_t>(
        std::count_if(displacement.begin(), displacement.end(),
                      [threshold](double value) { return value > threshold; }));
    summary.aboveThresholds.push_back({threshold, count, shareOf(count, summary.volumes)});
  }
  for (std::size_t t = 0; t < displacement.size(); ++t) {
    if (displacement[t] > options.spikeThreshold) summary.flaggedVolumes.push_back(t);
  }
  summary.flaggedShare = shareOf(summary.flaggedVolumes.size(), summary.volumes);
  summary.tooManyFlagged = summary.flaggedShare > options.maxFlaggedShare;
  return summary;
}

std::int64_t scrubbedDegreesOfFreedom(std::int64_t degreesOfFreedom, const MotionSummary& summary) {
  return degreesOfFreedom - static_cast<std::int64_t>(summary.flaggedVolumes.size());
}

}  // namespace duv
