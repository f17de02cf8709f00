#include "workflow/merge_workflow.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "design/paths.h"
#include "design/sdm_reader.h"
#include "merge/constant_predictor.h"
#include "merge/predictors.h"
#include "merge/z_transform.h"
#include "numerics/framewise_displacement.h"
#include "numerics/motion_spikes.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"
#include "workflow/result_names.h"
#include "workflow/workflow_texts.h"

namespace duv {
namespace {

DataPointMismatch mismatchOf(const DesignMatrix& differing, const DesignMatrix& reference) {
  return {fileNameOf(differing.fileName), fileNameOf(reference.fileName)};
}

std::vector<DesignMatrix> buildResults(const std::optional<DesignMatrix>& primary,
                                       std::vector<DesignMatrix> secondaries) {
  std::vector<DesignMatrix> results;
  if (primary) {
    results.reserve(secondaries.size());
    for (const auto& secondary : secondaries) results.push_back(mergedCopy(*primary, secondary));
    return results;
  }
  results.push_back(std::move(secondaries.front()));
  for (std::size_t i = 1; i < secondaries.size(); ++i) {
    appendPredictors(results.front(), secondaries[i]);
  }
  return results;
}

// A spike column as the merge adds them: named motion_outlier and a number, 1 at one volume and
// 0 at every other.
bool isSpikeColumn(const std::string& name, const std::vector<float>& values) {
  const std::string_view prefix = kSpikePrefix;
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  if (!std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  const auto ones = std::count(values.begin(), values.end(), 1.0F);
  const auto zeros = std::count(values.begin(), values.end(), 0.0F);
  return ones == 1 && ones + zeros == static_cast<std::ptrdiff_t>(values.size());
}

// The confounds z-transformed but for the spike columns: a spike is an indicator of one
// volume, which scaling would turn into a large value among small ones.
void zTransformConfoundsButSpikes(DesignMatrix& result) {
  std::vector<std::pair<std::size_t, std::vector<float>>> spikes;
  for (std::size_t p = 0; p < result.values.size(); ++p) {
    if (isSpikeColumn(result.predictorNames[p], result.values[p])) {
      spikes.emplace_back(p, result.values[p]);
    }
  }
  zTransformConfounds(result);
  for (auto& [p, values] : spikes) result.values[p] = std::move(values);
}

// Checked before anything is read, so that a request no merge can save fails at once.
void requireWrittenFormats(const std::vector<const DesignFormat*>& formats) {
  if (formats.empty()) throw std::invalid_argument("a merge asks for no format to save in");
  for (const auto* format : formats) {
    if (format->write == nullptr) {
      throw std::invalid_argument("a merge asks for " + std::string(format->name) +
                                  " files, which are not written");
    }
  }
}

MergedResult finishResult(DesignMatrix result, const MergeRequest& request, FileSystem& files,
                          const ResultDestination& destination, const LogSink& log) {
  if (request.baseline) {
    ensureConstant(result);
  } else {
    removeConstant(result);
  }
  if (request.zTransform) {
    if (request.spikes) {
      zTransformConfoundsButSpikes(result);
    } else {
      zTransformConfounds(result);
    }
  }
  auto path = destination(result.fileName);
  if (!path) return {std::move(result), std::nullopt};
  result.fileName = *path;
  const auto names = resultFilesAt(*path, request.formats, request.reports);
  for (std::size_t i = 0; i < names.designs.size(); ++i) {
    saveDesign(result, names.designs[i], *request.formats[i], files);
    log(texts::kSavedLog, names.designs[i]);
  }
  if (request.reports) {
    writeCorrelationReport(result, files, request.workers);
    writeCorrelationTable(result, files);
  }
  return {std::move(result), std::move(path)};
}

}  // namespace

std::string DataPointMismatch::message() const {
  return differing + texts::kDataPointMismatch + reference;
}

void logMergeStart(MergeKind kind, const LogSink& log) {
  log(texts::kStartMergingLog,
      kind == MergeKind::withPrimary ? texts::kMergeAllArgument : texts::kMergeSecondaryArgument);
}

std::vector<DesignMatrix> readSecondaries(std::vector<SecondaryInput> inputs,
                                          const ConfoundOptions& confounds,
                                          const std::optional<SpikeOptions>& spikes,
                                          FileSystem& files, const LogSink& log) {
  std::vector<DesignMatrix> matrices;
  matrices.reserve(inputs.size());
  bool anyMotion = false;
  for (auto& input : inputs) {
    const auto* file = std::get_if<InputFile>(&input);
    if (file == nullptr) {
      matrices.push_back(std::move(std::get<DesignMatrix>(input)));
      continue;
    }
    matrices.push_back(readInputFile(*file, confounds, files, log));
    if (!spikes) continue;
    const MotionReading reading{spikes->motionTextLayout, confounds.skipVolumes};
    const auto motion = spikeMotionOf(*file, reading, files);
    if (!motion) continue;
    anyMotion = true;
    const auto displacement = framewiseDisplacement(*motion);
    requireOneVolumePerDataPoint(matrices.back(), file->path, displacement);
    addSpikes(matrices.back(), file->path, displacement, spikes->criterion.displacementThreshold,
              log);
  }
  if (matrices.empty()) throw std::runtime_error(texts::kNoSecondaries);
  if (spikes && !anyMotion) throw std::runtime_error(texts::kNoMotionForSpikes);
  return matrices;
}

std::optional<DataPointMismatch> firstDataPointMismatch(const std::vector<DesignMatrix>& matrices) {
  for (const auto& matrix : matrices) {
    if (matrix.nrOfDataPoints.value != matrices.front().nrOfDataPoints.value) {
      return mismatchOf(matrix, matrices.front());
    }
  }
  return std::nullopt;
}

MergeOutcome mergeDesigns(MergeRequest request, FileSystem& files,
                          const ResultDestination& destination, const LogSink& log) {
  requireWrittenFormats(request.formats);
  MergeOutcome outcome;
  auto secondaries = readSecondaries(std::move(request.secondaries), request.confounds,
                                     request.spikes, files, log);
  if ((outcome.mismatch = firstDataPointMismatch(secondaries))) return outcome;

  std::optional<DesignMatrix> primary;
  if (request.primary) {
    primary = readSdmFile(*request.primary, files);
    if (primary->nrOfDataPoints.value != secondaries.front().nrOfDataPoints.value) {
      outcome.mismatch = mismatchOf(*primary, secondaries.front());
      return outcome;
    }
  }

  // The inputs are not needed once the results exist.
  auto results = buildResults(primary, std::move(secondaries));
  primary.reset();
  outcome.results.reserve(results.size());
  for (auto& result : results) {
    outcome.results.push_back(finishResult(std::move(result), request, files, destination, log));
  }
  return outcome;
}

}  // namespace duv
