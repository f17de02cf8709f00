#include "study/study_summary.h"

#include <ostream>
#include <string>

#include "study/group_subjects.h"

namespace duv {
namespace {

bool isWarned(const RunRecord& record) { return levelOfStatus(record.status).has_value(); }

}  // namespace

void writeStudySummary(const std::vector<RunRecord>& records, std::size_t upToDate,
                       std::ostream& out) {
  std::size_t ok = 0;
  std::size_t warned = 0;
  std::size_t failed = 0;
  std::size_t skipped = 0;
  for (const auto& record : records) {
    if (record.skipped) {
      ++skipped;
    } else if (record.status == CheckStatus::failed) {
      ++failed;
    } else if (isWarned(record)) {
      ++warned;
    } else {
      ++ok;
    }
  }
  out << records.size() << (records.size() == 1 ? " run: " : " runs: ") << ok << " ok, " << warned
      << " warned, " << failed << " failed";
  if (skipped > 0) out << ", " << skipped << " skipped";
  if (upToDate > 0) out << " (" << upToDate << " up to date, not done again)";
  out << '\n';
  const auto line = [&out](const std::string& status, const std::string& text) {
    out << "  " << status << std::string(8 - status.size(), ' ') << text << '\n';
  };
  for (const auto& record : records) {
    if (record.status == CheckStatus::failed && !record.skipped) {
      line("failed", record.name + ": " + record.firstError.value_or(""));
    }
  }
  for (const auto& record : records) {
    if (!isWarned(record)) continue;
    line(statusName(record.status),
         record.name + (record.reasons.empty() ? "" : ": " + record.reasons.front()));
  }
  for (const auto& record : records) {
    if (record.skipped)
      line(runStatusName(record), record.name + ": " + record.firstError.value_or(""));
  }
  const auto subjects = groupSubjects(records);
  for (const auto& subject : subjects.subjects) {
    if (!subject.everyRunFailsMotion) continue;
    const auto done = subject.runs() - subject.skipped;
    out << "  " << subjects.field << ' ' << subject.subject << ": every run fails a motion rule ("
        << done << (done == 1 ? " run)" : " runs)") << '\n';
  }
}

}  // namespace duv
