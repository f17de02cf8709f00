#pragma once

// A study's runs by subject, for the group page and the study's summary: how many of each
// subject's runs are ok, warned, failed and skipped, and whether every run of it fails a motion
// rule (a subject to look at before its runs).

#include <cstddef>
#include <string>
#include <vector>

#include "study/run_record.h"

namespace duv {

struct SubjectRuns {
  std::string subject;  // the value of the subject's field; empty for runs without that field
  std::size_t ok = 0;
  std::size_t warned = 0;  // medium, high or error
  std::size_t failed = 0;
  std::size_t skipped = 0;
  // Every run of the subject that was done (not skipped), and at least one, failed a motion
  // rule (RunRecord::failedMotionRule).
  bool everyRunFailsMotion = false;

  std::size_t runs() const { return ok + warned + failed + skipped; }
};

struct GroupSubjects {
  // The field that names a run's subject: "sub" when a run has it, else the first field of the
  // first run that has fields; empty when no run has fields (then there are no subjects).
  std::string field;
  std::vector<SubjectRuns> subjects;  // in the order of their first runs
};

GroupSubjects groupSubjects(const std::vector<RunRecord>& runs);

// The subjects whose every run fails a motion rule, each as "sub 03" (the field, a blank, the
// value), in their order.
std::vector<std::string> subjectsFailingMotion(const GroupSubjects& subjects);

}  // namespace duv
