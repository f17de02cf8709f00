#include "study/study_outputs.h"

#include <exception>

#include "design/paths.h"
#include "study/run_merge_check.h"
#include "study/study_runner.h"
#include "workflow/output_plan.h"

namespace duv {

void checkStudyOutputs(const std::vector<RunPlan>& plans, const RunOptions& options,
                       const StudyOutputSettings& settings, FileSystem& files) {
  std::vector<std::string> inputs = settings.sources;
  std::vector<std::string> outputs;
  std::vector<ResultFiles> results;
  for (const auto& plan : plans) {
    const auto paths = inputPathsOf(plan);
    inputs.insert(inputs.end(), paths.begin(), paths.end());
    try {
      auto planned = runOutputsOf(plan, options, settings.studyFolder, files);
      const auto& designs = planned.results.designs;
      outputs.insert(outputs.end(), designs.begin(), designs.end());
      if (planned.results.report) outputs.push_back(*planned.results.report);
      if (planned.results.table) outputs.push_back(*planned.results.table);
      outputs.push_back(planned.checkPage);
      outputs.insert(outputs.end(), planned.taskDesign.begin(), planned.taskDesign.end());
      results.push_back(std::move(planned.results));
    } catch (const std::exception&) {
      // The run's own error: it fails when it is done, as the runner records it.
    }
    outputs.push_back(recordPathOf(settings.studyFolder, plan));
  }
  for (const auto& plan : settings.skipped) {
    outputs.push_back(recordPathOf(settings.studyFolder, plan));
  }
  if (settings.groupOutputs) {
    outputs.push_back(joinPath(settings.studyFolder, "group.tsv"));
    outputs.push_back(joinPath(settings.studyFolder, "group.html"));
  }
  checkOutputs(outputs, inputs, files);
  checkReportsReplaceable(results, "choose another --out-dir", files);
}

}  // namespace duv
