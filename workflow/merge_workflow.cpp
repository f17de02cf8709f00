#include "workflow/merge_workflow.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "design/paths.h"
#include "design/tsv_design.h"
#include "merge/constant_predictor.h"
#include "merge/predictors.h"
#include "merge/six_decimals.h"
#include "merge/z_transform.h"
#include "numerics/framewise_displacement.h"
#include "numerics/motion_spikes.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"
#include "workflow/result_names.h"
#include "workflow/workflow_texts.h"

namespace duv {
namespace {

DataPointMismatch mismatchOf(const DesignMatrix& differing, const std::string& differingInput,
                             const DesignMatrix& reference, const std::string& referenceInput) {
  return {fileNameOf(differing.fileName),
          fileNameOf(reference.fileName),
          differingInput,
          referenceInput,
          differing.nrOfDataPoints.value,
          reference.nrOfDataPoints.value};
}

// The secondary inputs as the user named them: a file by its path, a matrix by its fileName.
std::vector<std::string> inputNamesOf(const std::vector<SecondaryInput>& inputs) {
  std::vector<std::string> names;
  names.reserve(inputs.size());
  for (const auto& input : inputs) {
    const auto* file = std::get_if<InputFile>(&input);
    names.push_back(file != nullptr ? file->path : std::get<DesignMatrix>(input).fileName);
  }
  return names;
}

bool writesSdm(const std::vector<const DesignFormat*>& formats) {
  return std::find(formats.begin(), formats.end(), &kSdmFormat) != formats.end();
}

std::string percentText(double fraction) {
  char text[64];
  const auto written =
      std::to_chars(text, text + sizeof text, fraction * 100.0, std::chars_format::fixed, 1);
  return std::string(text, written.ptr);
}

// "flatten <what> to a constant", "distort <what> (a rounding error of 35.2 % of its standard
// deviation)".
std::string lossText(const DecimalLossOf& loss, const std::string& what) {
  if (loss.loss == DecimalLoss::flattened) return "flatten " + what + " to a constant";
  return "distort " + what + " (a rounding error of " + percentText(loss.relativeError) +
         " % of its standard deviation)";
}

// A confound's scale changes no fit: it is scaled and the scaling logged. A main predictor's
// scale is its coefficient's unit, so it is left to its own design, with a warning.
void keepDecimalsLogged(DesignMatrix& result, const LogSink& log) {
  for (const auto& remedy : keepInSixDecimals(result)) {
    const auto factor = "1e" + std::to_string(remedy.exponent);
    if (remedy.confound && remedy.exponent != 0) {
      log(texts::kScaledLog, remedy.name + " by " + factor + ": six decimals would " +
                                 lossText(remedy.loss, "it") +
                                 "; a confound's scale changes no fit");
      continue;
    }
    const auto what = (remedy.confound ? "the confound " : "the main predictor ") + remedy.name +
                      " of " + fileNameOf(result.fileName);
    const auto remedyText =
        remedy.exponent == 0 ? std::string("; no power of ten keeps it")
                             : "; multiply it by " + factor + " in its own design before merging";
    log(texts::kWarningLog, "six decimals " + lossText(remedy.loss, what) + remedyText);
  }
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
  return isIndicatorColumn(values);
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
    if (request.keepIndicators) {
      zTransformConfoundsButIndicators(result);
    } else if (request.spikes) {
      zTransformConfoundsButSpikes(result);
    } else {
      zTransformConfounds(result);
    }
  }
  // The rescaling is for the six decimals of SDM files: the other formats keep every value.
  std::optional<DesignMatrix> unscaled;
  if (request.keepDecimals && writesSdm(request.formats)) {
    if (request.formats.size() > 1) unscaled = result;
    keepDecimalsLogged(result, log);
  }
  auto path = destination(result.fileName);
  if (!path) return {std::move(result), std::nullopt};
  result.fileName = *path;
  const auto names = resultFilesAt(*path, request.formats, request.reports);
  for (std::size_t i = 0; i < names.designs.size(); ++i) {
    const bool sixDecimals = request.formats[i] == &kSdmFormat;
    saveDesign(unscaled && !sixDecimals ? *unscaled : result, names.designs[i], *request.formats[i],
               files);
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
    const MotionReading reading{spikes->motionTextLayout, confounds.skipVolumes,
                                confounds.skipLastVolumes};
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
  std::vector<std::string> names;
  names.reserve(matrices.size());
  for (const auto& matrix : matrices) names.push_back(matrix.fileName);
  return firstDataPointMismatch(matrices, names);
}

std::optional<DataPointMismatch> firstDataPointMismatch(const std::vector<DesignMatrix>& matrices,
                                                        const std::vector<std::string>& inputs) {
  for (std::size_t i = 0; i < matrices.size(); ++i) {
    if (matrices[i].nrOfDataPoints.value != matrices.front().nrOfDataPoints.value) {
      return mismatchOf(matrices[i], inputs[i], matrices.front(), inputs.front());
    }
  }
  return std::nullopt;
}

MergeOutcome mergeDesigns(MergeRequest request, FileSystem& files,
                          const ResultDestination& destination, const LogSink& log) {
  requireWrittenFormats(request.formats);
  MergeOutcome outcome;
  const auto inputs = inputNamesOf(request.secondaries);
  auto secondaries = readSecondaries(std::move(request.secondaries), request.confounds,
                                     request.spikes, files, log);
  if ((outcome.mismatch = firstDataPointMismatch(secondaries, inputs))) return outcome;

  std::optional<DesignMatrix> primary;
  if (request.primary) {
    primary = readTaskDesignFile(*request.primary, request.taskColumns, files);
    if (primary->nrOfDataPoints.value != secondaries.front().nrOfDataPoints.value) {
      outcome.mismatch =
          mismatchOf(*primary, *request.primary, secondaries.front(), inputs.front());
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
