#include "merge/merge_workflow.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "design/design_matrix.h"
#include "design/rtc_file.h"
#include "design/sdm_reader.h"
#include "design/text.h"
#include "merge/constant_predictor.h"
#include "merge/predictors.h"
#include "merge/workflow_texts.h"
#include "merge/z_transform.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"

namespace duv {
namespace {

struct MergeOptions {
  bool zTransform = false;
  bool baseline = false;
  bool allCorrelations = false;
};

MergeOptions readOptions(HostServices& host) {
  MergeOptions options;
  options.zTransform = host.intParameter(texts::kZTransformParameter) != 0;
  options.baseline = host.intParameter(texts::kBaselineParameter) != 0;
  options.allCorrelations = host.intParameter(texts::kAllCorrelationsParameter) != 0;
  return options;
}

std::vector<DesignMatrix> readSecondaries(const std::vector<std::string>& paths, FileSystem& files,
                                          const SecondaryReader& read) {
  std::vector<DesignMatrix> matrices;
  for (const auto& path : paths) {
    auto matrix = read ? read(path) : readDialogSecondary(path, files);
    if (matrix) matrices.push_back(std::move(*matrix));
  }
  return matrices;
}

std::string mismatchMessage(const DesignMatrix& differing, const DesignMatrix& reference) {
  return fileNameOf(differing.fileName) + texts::kDataPointMismatch +
         fileNameOf(reference.fileName);
}

void processResult(DesignMatrix& result, const MergeOptions& options, HostServices& host,
                   FileSystem& files) {
  if (options.baseline) {
    ensureConstant(result);
  } else {
    removeConstant(result);
  }
  if (options.zTransform) zTransformConfounds(result);
  const auto path = host.saveFileName(texts::kSaveResultTitle, result.fileName, texts::kSdmFilter);
  if (!path) return;
  result.saveAs(*path, files);
  host.log(texts::kSavedLog, *path);
  if (options.allCorrelations) {
    writeCorrelationReport(result, files);
    writeCorrelationTable(result, files);
  }
}

}  // namespace

std::optional<DesignMatrix> readDialogSecondary(const std::string& path, FileSystem& files) {
  if (hasExtension(path, "sdm")) return readSdmFile(path, files);
  if (hasExtension(path, "rtc")) return DesignMatrix(readRtcFile(path, files));
  return std::nullopt;
}

bool mergeSdms(HostServices& host, FileSystem& files, bool withPrimary,
               const SecondaryReader& readSecondary) {
  host.log(texts::kStartMergingLog,
           withPrimary ? texts::kMergeAllArgument : texts::kMergeSecondaryArgument);
  const auto options = readOptions(host);
  const auto paths = splitLines(host.stringParameter(texts::kSecondaryParameter), '\n');
  if (paths.empty()) throw std::runtime_error(texts::kNoSecondaries);
  if (paths.size() == 1 && !withPrimary) throw std::runtime_error(texts::kNotEnoughSecondaries);

  auto secondaries = readSecondaries(paths, files, readSecondary);
  // Without any matrix among the entries there is nothing to merge.
  if (secondaries.empty()) throw std::runtime_error(texts::kNoSecondaries);
  const DesignMatrix& reference = secondaries.front();
  for (const auto& secondary : secondaries) {
    if (secondary.nrOfDataPoints.value != reference.nrOfDataPoints.value) {
      host.messageBox(mismatchMessage(secondary, reference));
      return false;
    }
  }

  std::vector<DesignMatrix> results;
  if (withPrimary) {
    const auto primary = readSdmFile(host.stringParameter(texts::kPrimaryParameter), files);
    if (primary.nrOfDataPoints.value != reference.nrOfDataPoints.value) {
      host.messageBox(mismatchMessage(primary, reference));
      return false;
    }
    results.reserve(secondaries.size());
    for (const auto& secondary : secondaries) results.push_back(mergedCopy(primary, secondary));
  } else {
    results.push_back(secondaries.front());
    for (std::size_t i = 1; i < secondaries.size(); ++i) {
      appendPredictors(results.front(), secondaries[i]);
    }
  }
  secondaries.clear();

  for (auto& result : results) processResult(result, options, host, files);
  return true;
}

}  // namespace duv
