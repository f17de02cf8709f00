#include "study/skipped_runs.h"

#include <utility>

#include "study/run_merge_check.h"
#include "study/run_record_file.h"

namespace duv {

RunRecord skippedRunRecord(const SkippedRun& run, const std::string& optionsText,
                           const std::string& toolVersion, FileSystem& files) {
  auto record = plannedRecord(run.plan, optionsText, toolVersion, files);
  record.status = CheckStatus::failed;
  record.skipped = true;
  record.firstError = run.why;
  record.reasons = {run.why};
  return record;
}

std::vector<RunRecord> recordSkippedRuns(std::vector<RunRecord> done,
                                         const std::vector<SkippedRun>& skipped,
                                         const RunOptions& options, const RunnerSettings& settings,
                                         FileSystem& files) {
  const auto optionsText = canonicalText(options);
  std::vector<RunRecord> all;
  all.reserve(done.size() + skipped.size());
  std::size_t next = 0;  // the first of `done` not yet in `all`
  for (const auto& run : skipped) {
    for (; next < run.before && next < done.size(); ++next) all.push_back(std::move(done[next]));
    auto record = skippedRunRecord(run, optionsText, settings.toolVersion, files);
    files.createFolders(runFolderOf(settings.studyFolder, run.plan));
    writeRunRecord(files, recordPathOf(settings.studyFolder, run.plan), record);
    all.push_back(std::move(record));
  }
  for (; next < done.size(); ++next) all.push_back(std::move(done[next]));
  return all;
}

}  // namespace duv
