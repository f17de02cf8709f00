#include "workflow/merge_workflow.h"

#include <stdexcept>
#include <utility>

#include "design/sdm_reader.h"
#include "design/text.h"
#include "merge/constant_predictor.h"
#include "merge/predictors.h"
#include "merge/z_transform.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"
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

MergedResult finishResult(DesignMatrix result, const MergeRequest& request, FileSystem& files,
                          const ResultDestination& destination, const LogSink& log) {
  if (request.baseline) {
    ensureConstant(result);
  } else {
    removeConstant(result);
  }
  if (request.zTransform) zTransformConfounds(result);
  auto path = destination(result.fileName);
  if (!path) return {std::move(result), std::nullopt};
  result.saveAs(*path, files);
  log(texts::kSavedLog, *path);
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

void logMergeStart(bool withPrimary, const LogSink& log) {
  log(texts::kStartMergingLog,
      withPrimary ? texts::kMergeAllArgument : texts::kMergeSecondaryArgument);
}

std::vector<DesignMatrix> readSecondaries(std::vector<SecondaryInput> inputs,
                                          const ConfoundOptions& confounds, FileSystem& files,
                                          const LogSink& log) {
  std::vector<DesignMatrix> matrices;
  matrices.reserve(inputs.size());
  for (auto& input : inputs) {
    if (auto* file = std::get_if<InputFile>(&input)) {
      matrices.push_back(readInputFile(*file, confounds, files, log));
    } else {
      matrices.push_back(std::move(std::get<DesignMatrix>(input)));
    }
  }
  if (matrices.empty()) throw std::runtime_error(texts::kNoSecondaries);
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
  MergeOutcome outcome;
  auto secondaries = readSecondaries(std::move(request.secondaries), request.confounds, files, log);
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
