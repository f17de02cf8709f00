#include "study/run_merge_check.h"

#include <cmath>
#include <exception>
#include <stdexcept>
#include <utility>

#include "check/check_output.h"
#include "check/check_reasons.h"
#include "check/motion_check.h"
#include "design/design_format.h"
#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/paths.h"
#include "design/sdm_writer.h"
#include "design/tsv_design.h"
#include "study/bold_sidecar.h"
#include "workflow/check_workflow.h"
#include "workflow/events_design.h"
#include "workflow/merge_workflow.h"
#include "workflow/result_names.h"

namespace duv {
namespace {

InputFile studyInput(const std::string& path, FileSystem& files) {
  return inputFileAt(path, "a study", files);
}

// An events run merges the design built from its events, saved in its folder, as its primary.
RunPlan mergedPlanOf(const RunPlan& plan, const RunOptions& options,
                     const std::string& studyFolder) {
  if (!options.events) return plan;
  auto merged = plan;
  merged.primary = taskDesignPathOf(studyFolder, plan);
  return merged;
}

// The files of an events run's design: its .sdm, then those of each of the run's exports.
std::vector<std::string> taskDesignFilesOf(const std::string& studyFolder, const RunPlan& plan,
                                           const RunOptions& options) {
  return resultFilesAt(taskDesignPathOf(studyFolder, plan), savedFormats(options.exports), false)
      .designs;
}

// The design of an events run, saved in its folder: its repetition time from the options or
// its sidecars, its volumes from the options or its first confound input as the merge reads it.
// Returns the design's warnings.
std::vector<std::string> buildTaskDesign(RunRecord& record, const RunPlan& plan,
                                         const RunOptions& options, const std::string& studyFolder,
                                         FileSystem& files) {
  EventsDesignRequest request;
  request.events = plan.primary;
  request.options = options.events->design;
  request.conditions = options.events->conditions;
  if (request.options.repetitionTime == 0.0) {
    request.options.repetitionTime = repetitionTimeOf(plan.sidecars, plan.primary, files);
  }
  if (request.options.volumes == 0) {
    const auto first = studyInput(plan.confounds.front(), files);
    request.options.volumes =
        static_cast<std::size_t>(readDesign(first.path, *first.format, options.confounds, files)
                                     .matrix.nrOfDataPoints.value);
  }
  auto design = designFromEvents(request, files);
  const auto formats = savedFormats(options.exports);
  const auto paths = taskDesignFilesOf(studyFolder, plan, options);
  files.createFolders(runFolderOf(studyFolder, plan));
  for (std::size_t f = 0; f < formats.size(); ++f) {
    saveDesign(design.matrix, paths[f], *formats[f], files);
    record.outputs.push_back(joinPath(plan.outputFolder, fileNameOf(paths[f])));
  }
  return std::move(design.warnings);
}

// One confound input: merge-all's request, whose single result is the primary merged with it;
// several: merge-sec's, the primary first among the secondaries.
MergeRequest mergeRequestOf(const RunPlan& plan, const RunOptions& options, FileSystem& files) {
  MergeRequest request;
  if (plan.confounds.size() == 1) {
    request.primary = plan.primary;
    request.taskColumns = options.taskColumns;
  } else if (hasExtensionOf(plan.primary, kTsvDesignFormat)) {
    // A TSV among the secondaries would be a confound table without its sidecar.
    request.secondaries.emplace_back(readTaskDesignFile(plan.primary, options.taskColumns, files));
  } else {
    request.secondaries.emplace_back(studyInput(plan.primary, files));
  }
  for (const auto& confound : plan.confounds)
    request.secondaries.emplace_back(studyInput(confound, files));
  request.confounds = options.confounds;
  request.baseline = options.baseline;
  request.zTransform = options.zTransform;
  request.keepIndicators = true;
  request.keepDecimals = true;
  request.reports = options.reports;
  request.spikes = options.spikes;
  request.formats = savedFormats(options.exports);
  request.workers = 1;  // the runs share the cores
  return request;
}

// The strongest |r| between a task predictor and a confound.
std::optional<RunRecord::Pair> strongestTaskConfound(const DesignCheck& check) {
  std::optional<RunRecord::Pair> strongest;
  for (const std::size_t task : check.varying) {
    if (!check.columns[task].task) continue;
    for (const std::size_t other : check.varying) {
      if (check.columns[other].task || check.columns[other].role == ColumnRole::main) continue;
      const double r = check.correlationOf(task, other);
      if (!strongest || std::abs(r) > std::abs(strongest->r)) {
        strongest = RunRecord::Pair{check.columns[task].name, check.columns[other].name, r};
      }
    }
  }
  return strongest;
}

void recordFigures(RunRecord& record, const CheckedFile& file, const CheckRun& frame) {
  const auto& check = file.check;
  record.status = statusOf(file);
  record.reasons = reasonsOf(file, frame);
  record.failedMotionRule = file.motion && levelOf(*file.motion).has_value();
  record.dataPoints = check.dataPoints;
  record.predictors = check.predictors();
  record.residualDegreesOfFreedom = check.residualDegreesOfFreedom;
  if (const auto highest = check.highestTaskVif()) {
    record.highestTaskVif = std::pair(check.columns[*highest].name, *check.columns[*highest].vif);
  }
  record.strongestTaskConfound = strongestTaskConfound(check);
  if (file.motion) {
    record.meanDisplacement = file.motion->summary.meanDisplacement;
    record.maxDisplacement = file.motion->summary.maxDisplacement;
    record.spikes = file.motion->summary.flaggedVolumes.size();
  }
  for (const auto& contrast : file.contrasts) {
    record.contrasts.push_back({contrast.name, contrast.estimable(), contrast.vif});
  }
}

// A run's check page is named after its first design.
std::string checkPageNameOf(const std::string& design) {
  return replaceExtension(fileNameOf(design), ".html");
}

// The merge, the check and the page; the record's outputs and figures as they are written.
void mergeAndCheck(RunRecord& record, const RunPlan& events, const RunOptions& options,
                   const std::string& studyFolder, FileSystem& files) {
  std::vector<std::string> designWarnings;
  if (options.events) designWarnings = buildTaskDesign(record, events, options, studyFolder, files);
  const auto plan = mergedPlanOf(events, options, studyFolder);
  const auto folder = runFolderOf(studyFolder, plan);
  auto request = mergeRequestOf(plan, options, files);
  const auto formats = request.formats;
  const bool reports = request.reports;
  auto outcome = mergeDesigns(
      std::move(request), files,
      [&folder, &files](const std::string& suggestedName) -> std::optional<std::string> {
        files.createFolders(folder);
        return pathInFolder(suggestedName, folder);
      },
      [](std::string_view, std::string_view) {});
  if (outcome.mismatch) throw std::runtime_error(outcome.mismatch->message());
  auto& result = outcome.results.front();
  const auto saved = resultFilesAt(*result.savedAs, formats, reports);
  for (const auto& design : saved.designs) {
    record.outputs.push_back(joinPath(plan.outputFolder, fileNameOf(design)));
  }
  if (saved.report)
    record.outputs.push_back(joinPath(plan.outputFolder, fileNameOf(*saved.report)));
  if (saved.table) record.outputs.push_back(joinPath(plan.outputFolder, fileNameOf(*saved.table)));

  // The result as its file reads back, with the head motion of the first confound input
  // that holds some; the spike columns are the merge's.
  CheckRequest check;
  check.design = asReadBack(std::move(result.matrix));
  check.thresholds = options.thresholds;
  check.contrasts = options.contrasts;
  check.contrastThresholds = options.contrastThresholds;
  check.motion = options.motion;
  check.motionSource = MotionSource::firstHolding;
  check.motionFiles = plan.confounds;
  check.motionReading = options.motionReading;
  if (options.spikes) check.spikes = SpikeColumns::alreadyAdded;
  const auto pageName = checkPageNameOf(saved.designs.front());
  const auto frame = checkRunFor(check);
  const auto file = checkAndWritePage(std::move(check), joinPath(folder, pageName), files,
                                      [](std::string_view, std::string_view) {});
  record.outputs.push_back(joinPath(plan.outputFolder, pageName));
  record.checkPage = record.outputs.back();
  recordFigures(record, file, frame);
  // What the events do that the design shows only partly follows the check's own reasons.
  record.reasons.insert(record.reasons.end(), designWarnings.begin(), designWarnings.end());
}

}  // namespace

std::string runFolderOf(const std::string& studyFolder, const RunPlan& plan) {
  return joinPath(studyFolder, plan.outputFolder);
}

std::string taskDesignPathOf(const std::string& studyFolder, const RunPlan& plan) {
  return joinPath(runFolderOf(studyFolder, plan),
                  convertedFileName(fileNameOf(plan.primary, PathStyle::native)));
}

RunOutputs runOutputsOf(const RunPlan& plan, const RunOptions& options,
                        const std::string& studyFolder, FileSystem& files) {
  const auto request = mergeRequestOf(mergedPlanOf(plan, options, studyFolder), options, files);
  RunOutputs outputs;
  if (options.events) outputs.taskDesign = taskDesignFilesOf(studyFolder, plan, options);
  outputs.results = std::move(resultFiles(request, runFolderOf(studyFolder, plan)).front());
  outputs.checkPage =
      joinPath(runFolderOf(studyFolder, plan), checkPageNameOf(outputs.results.designs.front()));
  return outputs;
}

RunRecord plannedRecord(const RunPlan& plan, const std::string& optionsText,
                        const std::string& toolVersion, FileSystem& files) {
  RunRecord record;
  record.name = plan.name;
  record.fields = plan.fields;
  record.primary = plan.primary;
  record.confounds = plan.confounds;
  record.toolVersion = toolVersion;
  record.options = optionsText;
  record.inputs = currentInputs(inputPathsOf(plan), files);
  return record;
}

RunRecord mergeAndCheckRun(const RunPlan& plan, const RunOptions& options,
                           const std::string& optionsText, const std::string& toolVersion,
                           const std::string& studyFolder, FileSystem& files) {
  auto record = plannedRecord(plan, optionsText, toolVersion, files);
  try {
    mergeAndCheck(record, plan, options, studyFolder, files);
  } catch (const std::exception& error) {
    // The run's own failure: the study goes on, and the record tells it.
    record.status = CheckStatus::failed;
    record.firstError = error.what();
    record.reasons = {*record.firstError};
  }
  return record;
}

}  // namespace duv
