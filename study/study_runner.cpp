#include "study/study_runner.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "design/paths.h"
#include "study/run_contrasts.h"
#include "study/run_record_file.h"

namespace duv {
namespace {

// The record of a run that need not be done again, or nothing; `warning` tells why a record
// that is there is not taken.
std::optional<RunRecord> upToDateRecord(const RunPlan& plan, const std::string& optionsText,
                                        const RunnerSettings& settings, FileSystem& files,
                                        std::optional<std::string>& warning) {
  if (settings.force) return std::nullopt;
  const auto path = recordPathOf(settings.studyFolder, plan);
  if (files.status(path).kind != FileKind::file) return std::nullopt;
  const auto paths = inputPathsOf(plan);
  auto record = readRunRecord(files, path);
  if (const auto problem = misplacedOutput(record, plan.outputFolder)) {
    warning = path + ": " + *problem + "; the record is ignored and the run done again";
    return std::nullopt;
  }
  if (!isUpToDate(record, settings.toolVersion, optionsText, currentInputs(paths, files),
                  settings.studyFolder, files)) {
    return std::nullopt;
  }
  return record;
}

// A run's options: the study's, with the contrasts that apply to the run (of its own file, or
// else the study's), so that its record holds those alone.
RunOptions optionsOfRun(const RunPlan& plan, const RunOptions& options) {
  RunOptions own = options;
  own.contrasts = contrastsOfRun(plan.contrasts ? *plan.contrasts : options.contrasts, plan.fields);
  return own;
}

// `asked` threads were wanted and only `started` (this one included) could be made.
std::runtime_error threadsNotStarted(std::size_t asked, std::size_t started,
                                     const std::string& why) {
  return std::runtime_error("Cannot run " + std::to_string(asked) + " runs at a time: only " +
                            std::to_string(started) + (started == 1 ? " thread" : " threads") +
                            " could be made for them (" + why + ")");
}

}  // namespace

std::string recordPathOf(const std::string& studyFolder, const RunPlan& plan) {
  return joinPath(runFolderOf(studyFolder, plan), runRecordFileName(plan.name));
}

StudyResult runStudy(const std::vector<RunPlan>& plans, const RunOptions& options,
                     const RunnerSettings& settings, FileSystem& files,
                     const std::function<void(const StudyProgress&, const RunRecord&)>& onRunDone) {
  StudyResult result;
  result.records.resize(plans.size());
  std::atomic<std::size_t> next{0};
  std::mutex mutex;  // guards progress, skipped, warnings, failure and the callback
  StudyProgress progress;
  progress.total = plans.size();
  std::exception_ptr failure;

  const auto work = [&] {
    for (std::size_t i = next++; i < plans.size(); i = next++) {
      try {
        const auto runOptions = optionsOfRun(plans[i], options);
        const auto optionsText = canonicalText(runOptions);
        std::optional<std::string> warning;
        auto record = upToDateRecord(plans[i], optionsText, settings, files, warning);
        if (warning) {
          const std::lock_guard lock(mutex);
          result.warnings.push_back(std::move(*warning));
        }
        const bool skipped = record.has_value();
        if (!record) {
          record = mergeAndCheckRun(plans[i], runOptions, optionsText, settings.toolVersion,
                                    settings.studyFolder, files);
          files.createFolders(runFolderOf(settings.studyFolder, plans[i]));
          writeRunRecord(files, recordPathOf(settings.studyFolder, plans[i]), *record);
        }
        const std::lock_guard lock(mutex);
        result.records[i] = std::move(*record);
        if (skipped) ++result.skipped;
        ++progress.done;
        if (result.records[i].status == CheckStatus::failed) ++progress.failed;
        if (onRunDone) onRunDone(progress, result.records[i]);
      } catch (...) {
        // A record that cannot be saved ends the study; the other threads finish their run.
        const std::lock_guard lock(mutex);
        if (!failure) failure = std::current_exception();
        next = plans.size();
      }
    }
  };
  const auto threads = std::max<std::size_t>(1, std::min(settings.jobs, plans.size()));
  std::vector<std::thread> pool;
  pool.reserve(threads - 1);
  std::string unstarted;  // why a thread could not be started
  for (std::size_t t = 1; t < threads && unstarted.empty(); ++t) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error& error) {
      // No more runs are handed out: those in flight end as usual, and the study stops.
      unstarted = error.what();
      next = plans.size();
    }
  }
  if (unstarted.empty()) work();
  for (auto& thread : pool) thread.join();
  if (!unstarted.empty()) throw threadsNotStarted(threads, pool.size() + 1, unstarted);
  if (failure) std::rethrow_exception(failure);
  std::sort(result.warnings.begin(), result.warnings.end());
  return result;
}

}  // namespace duv
