#include "workflow/head_motion.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "design/file_system.h"
#include "design/paths.h"
#include "numerics/motion_spikes.h"
#include "numerics/motion_summary.h"
#include "workflow/workflow_texts.h"

namespace duv {

std::optional<MotionLayout> motionLayoutFor(const std::string& path, const MotionReading& reading) {
  if (isMotionText(path)) return reading.textLayout ? *reading.textLayout : motionLayoutOf(path);
  if (hasExtension(path, "sdm")) return MotionLayout::sdm;
  if (isConfoundTable(path)) return MotionLayout::table;
  return std::nullopt;
}

std::optional<MotionInput> readHeadMotion(const std::string& path, MotionLayout layout,
                                          const MotionReading& reading, bool required,
                                          FileSystem& files) {
  const auto text = files.readFile(path);
  if (required) {
    return readMotionInput(text, path, layout, reading.skipVolumes, reading.skipLastVolumes);
  }
  return findMotionInput(text, path, layout, reading.skipVolumes, reading.skipLastVolumes);
}

void requireOneVolumePerDataPoint(const DesignMatrix& design, const std::string& motionPath,
                                  const std::vector<double>& displacement) {
  if (static_cast<std::int64_t>(displacement.size()) == design.nrOfDataPoints.value) return;
  throw std::runtime_error(motionPath + ": " + std::to_string(displacement.size()) +
                           " volumes of head motion for the " +
                           std::to_string(design.nrOfDataPoints.value) + " data points of " +
                           fileNameOf(design.fileName));
}

namespace {

// Every spike column takes a degree of freedom: a run flagged throughout would otherwise become
// thousands of columns that no fit can estimate.
void requireResidualDegreeOfFreedom(const DesignMatrix& matrix, const std::string& motionPath,
                                    std::size_t spikes) {
  const std::int64_t dataPoints = matrix.nrOfDataPoints.value;
  const std::int64_t predictors = matrix.nrOfPredictors.value;
  const auto count = static_cast<std::int64_t>(spikes);
  if (count == 0 || dataPoints - predictors - count >= 1) return;
  const std::int64_t room = std::max<std::int64_t>(dataPoints - predictors - 1, 0);
  throw std::runtime_error(motionPath + ": " + std::to_string(count) +
                           " volumes are flagged as spikes, more than the " + std::to_string(room) +
                           " spike columns that " + std::to_string(dataPoints) +
                           " data points and " + std::to_string(predictors) +
                           " predictors allow (one residual degree of freedom must remain); a "
                           "higher spike threshold (fd:<mm>) flags fewer volumes");
}

}  // namespace

std::vector<std::size_t> addSpikes(DesignMatrix& matrix, const std::string& motionPath,
                                   const std::vector<double>& displacement, double threshold,
                                   const LogSink& log) {
  MotionSummaryOptions options;
  options.spikeThreshold = threshold;
  auto flagged = summarizeMotion(displacement, options).flaggedVolumes;
  requireResidualDegreeOfFreedom(matrix, motionPath, flagged.size());
  appendSpikeColumns(matrix, flagged);
  log(texts::kFlaggedLog, std::to_string(flagged.size()) + " of " +
                              std::to_string(displacement.size()) + " volumes: " + motionPath);
  return flagged;
}

std::optional<MotionInput> spikeMotionOf(const InputFile& input, const MotionReading& reading,
                                         FileSystem& files) {
  const auto layout = motionLayoutFor(input.path, reading);
  if (!layout) return std::nullopt;
  const bool required = input.format->confounds;
  return readHeadMotion(input.path, *layout, reading, required, files);
}

}  // namespace duv
