#include "plugin/dialog_tasks.h"

#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "design/design_format.h"
#include "design/sdm_reader.h"
#include "design/text.h"
#include "plugin/dialog_texts.h"
#include "workflow/correlate_workflow.h"
#include "workflow/merge_workflow.h"
#include "workflow/workflow_texts.h"

namespace duv {
namespace {

// The dialog reads design matrices and time-course files only, and passes over anything else
// in its list without a word.
std::vector<SecondaryInput> dialogInputs(const std::vector<std::string>& entries) {
  std::vector<SecondaryInput> inputs;
  for (const auto& entry : entries) {
    for (const auto* format : {&kSdmFormat, &kRtcFormat}) {
      if (hasExtensionOf(entry, *format)) inputs.emplace_back(InputFile{entry, format});
    }
  }
  return inputs;
}

}  // namespace

bool mergeFromDialog(HostBridge& host, FileSystem& files, MergeKind kind) {
  const LogSink log = host.logSink();
  logMergeStart(kind, log);
  MergeRequest request;
  request.zTransform = host.intParameter(dialog::kZTransformParameter) != 0;
  request.baseline = host.intParameter(dialog::kBaselineParameter) != 0;
  request.reports = host.intParameter(dialog::kAllCorrelationsParameter) != 0;

  const auto entries = splitLines(host.stringParameter(dialog::kSecondaryParameter), '\n');
  if (entries.empty()) throw std::runtime_error(texts::kNoSecondaries);
  if (entries.size() == 1 && kind == MergeKind::secondariesOnly) {
    throw std::runtime_error(texts::kNotEnoughSecondaries);
  }
  // The secondaries are read and compared before the primary's path is even asked for.
  auto secondaries =
      readSecondaries(dialogInputs(entries), request.confounds, request.spikes, files, log);
  if (const auto mismatch = firstDataPointMismatch(secondaries)) {
    host.messageBox(mismatch->message());
    return false;
  }
  request.secondaries.assign(std::make_move_iterator(secondaries.begin()),
                             std::make_move_iterator(secondaries.end()));
  secondaries.clear();
  if (kind == MergeKind::withPrimary)
    request.primary = host.stringParameter(dialog::kPrimaryParameter);

  const auto outcome = mergeDesigns(
      std::move(request), files,
      [&host](const std::string& suggestedName) {
        return host.saveFileName(dialog::kSaveResultTitle, suggestedName, dialog::kSdmFilter);
      },
      log);
  if (outcome.mismatch) {
    host.messageBox(outcome.mismatch->message());
    return false;
  }
  return true;
}

void correlateFromDialog(HostBridge& host, FileSystem& files) {
  const auto design = readSdmFile(host.stringParameter(dialog::kPrimaryParameter), files);
  correlateDesign(design, files, host.logSink());
}

}  // namespace duv
