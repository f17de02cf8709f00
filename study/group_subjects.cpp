#include "study/group_subjects.h"

#include <map>

namespace duv {
namespace {

std::string subjectField(const std::vector<RunRecord>& runs) {
  std::string first;
  for (const auto& run : runs) {
    for (const auto& [field, value] : run.fields) {
      if (field == "sub") return field;
      if (first.empty()) first = field;
    }
  }
  return first;
}

std::string valueOf(const RunRecord& run, const std::string& field) {
  for (const auto& [name, value] : run.fields) {
    if (name == field) return value;
  }
  return "";
}

}  // namespace

GroupSubjects groupSubjects(const std::vector<RunRecord>& runs) {
  GroupSubjects grouped;
  grouped.field = subjectField(runs);
  if (grouped.field.empty()) return grouped;
  std::map<std::string, std::size_t> indexOf;
  std::vector<std::size_t> motionFailures;  // per subject: runs done that failed a motion rule
  for (const auto& run : runs) {
    const auto subject = valueOf(run, grouped.field);
    const auto [entry, added] = indexOf.emplace(subject, grouped.subjects.size());
    if (added) {
      grouped.subjects.push_back({subject});
      motionFailures.push_back(0);
    }
    auto& counts = grouped.subjects[entry->second];
    if (run.skipped) {
      ++counts.skipped;
      continue;
    }
    if (run.status == CheckStatus::failed) {
      ++counts.failed;
    } else if (levelOfStatus(run.status)) {
      ++counts.warned;
    } else {
      ++counts.ok;
    }
    if (run.failedMotionRule) ++motionFailures[entry->second];
  }
  for (std::size_t s = 0; s < grouped.subjects.size(); ++s) {
    auto& subject = grouped.subjects[s];
    const std::size_t done = subject.runs() - subject.skipped;
    subject.everyRunFailsMotion = done > 0 && motionFailures[s] == done;
  }
  return grouped;
}

std::vector<std::string> subjectsFailingMotion(const GroupSubjects& subjects) {
  std::vector<std::string> named;
  for (const auto& subject : subjects.subjects) {
    if (subject.everyRunFailsMotion) named.push_back(subjects.field + " " + subject.subject);
  }
  return named;
}

}  // namespace duv
