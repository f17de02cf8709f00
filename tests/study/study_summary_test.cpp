#include "study/study_summary.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "study/group_subjects.h"
#include "tests/study/study_records.h"

namespace duv {
namespace {

std::string summary(const std::vector<RunRecord>& runs, std::size_t upToDate = 0) {
  std::ostringstream out;
  writeStudySummary(runs, upToDate, out);
  return out.str();
}

RunRecord run(const std::string& subject, int number, CheckStatus status,
              std::vector<std::string> reasons = {}, bool motion = false) {
  auto record = testing::completeRun(subject, number);
  record.status = status;
  record.reasons = std::move(reasons);
  record.failedMotionRule = motion;
  return record;
}

RunRecord skipped(const std::string& subject, int number, const std::string& why) {
  auto record = testing::failedRun(subject, number, why);
  record.skipped = true;
  return record;
}

const std::string kFd = "mean FD 0.41 mm > 0.25";

TEST(StudySummaryTest, NamesEachRunThatIsNotOkWithItsFirstReason) {
  struct Case {
    const char* title;
    std::vector<RunRecord> runs;
    std::size_t upToDate;
    std::string expected;
  };
  const Case cases[] = {
      {"no runs", {}, 0, "0 runs: 0 ok, 0 warned, 0 failed\n"},
      {"one ok run, up to date",
       {run("01", 1, CheckStatus::ok)},
       1,
       "1 run: 1 ok, 0 warned, 0 failed (1 up to date, not done again)\n"},
      {"failed, warned and skipped, each in its group, in the runs' order",
       {skipped("01", 1, "no file for --confounds-from 'c.tsv' (looked for c1.tsv)"),
        run("01", 2, CheckStatus::medium, {"Condition A ~ tx r = 0.45", "second"}),
        testing::failedRun("02", 1, "sub-02_run-1_task.sdm, line 3: expected 6 values"),
        run("02", 2, CheckStatus::error, {"contrast A-B not estimable"}),
        run("03", 1, CheckStatus::ok)},
       2,
       "5 runs: 1 ok, 2 warned, 1 failed, 1 skipped (2 up to date, not done again)\n"
       "  failed  sub-02_run-1_task.sdm: sub-02_run-1_task.sdm, line 3: expected 6 values\n"
       "  medium  sub-01_run-2_task.sdm: Condition A ~ tx r = 0.45\n"
       "  error   sub-02_run-2_task.sdm: contrast A-B not estimable\n"
       "  skipped sub-01_run-1_task.sdm: no file for --confounds-from 'c.tsv' (looked for "
       "c1.tsv)\n"},
      {"a warned run of a record without reasons is named alone",
       {run("01", 1, CheckStatus::high)},
       0,
       "1 run: 0 ok, 1 warned, 0 failed\n  high    sub-01_run-1_task.sdm\n"},
      {"a subject whose every run fails a motion rule",
       {run("01", 1, CheckStatus::high, {kFd}, true), run("01", 2, CheckStatus::high, {kFd}, true),
        run("02", 1, CheckStatus::high, {kFd}, true), run("02", 2, CheckStatus::ok)},
       0,
       "4 runs: 1 ok, 3 warned, 0 failed\n"
       "  high    sub-01_run-1_task.sdm: " +
           kFd +
           "\n"
           "  high    sub-01_run-2_task.sdm: " +
           kFd +
           "\n"
           "  high    sub-02_run-1_task.sdm: " +
           kFd +
           "\n"
           "  sub 01: every run fails a motion rule (2 runs)\n"},
      {"its skipped runs aside; one failed run is not a motion rule's",
       {run("01", 1, CheckStatus::high, {kFd}, true), skipped("01", 2, "gone"),
        run("02", 1, CheckStatus::high, {kFd}, true), testing::failedRun("02", 2, "bad")},
       0,
       "4 runs: 0 ok, 2 warned, 1 failed, 1 skipped\n"
       "  failed  sub-02_run-2_task.sdm: bad\n"
       "  high    sub-01_run-1_task.sdm: " +
           kFd +
           "\n"
           "  high    sub-02_run-1_task.sdm: " +
           kFd +
           "\n"
           "  skipped sub-01_run-2_task.sdm: gone\n"
           "  sub 01: every run fails a motion rule (1 run)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(summary(c.runs, c.upToDate), c.expected);
  }
}

// "sub 03 ok/warned/failed/skipped motion" per subject, or "none" without a subject field.
std::string subjectsText(const std::vector<RunRecord>& runs) {
  const auto grouped = groupSubjects(runs);
  if (grouped.field.empty()) return "none";
  std::string text;
  for (const auto& subject : grouped.subjects) {
    text += grouped.field + " " + subject.subject + " " + std::to_string(subject.ok) + "/" +
            std::to_string(subject.warned) + "/" + std::to_string(subject.failed) + "/" +
            std::to_string(subject.skipped) + (subject.everyRunFailsMotion ? " motion" : "") + "\n";
  }
  return text;
}

TEST(GroupSubjectsTest, RunsAreCountedBySubjectAndMotionSubjectsNamed) {
  auto withFields = [](RunRecord record, std::vector<std::pair<std::string, std::string>> fields) {
    record.fields = std::move(fields);
    return record;
  };
  const auto high = run("01", 1, CheckStatus::high, {kFd}, true);
  const auto ok = run("01", 1, CheckStatus::ok);
  struct Case {
    const char* title;
    std::vector<RunRecord> runs;
    std::string expected;
  };
  const Case cases[] = {
      {"no runs", {}, "none"},
      {"no fields", {withFields(ok, {}), withFields(high, {})}, "none"},
      {"sub, wherever it is among the fields",
       {withFields(ok, {{"task", "a"}, {"sub", "01"}}),
        withFields(high, {{"task", "b"}, {"sub", "02"}}),
        withFields(high, {{"task", "a"}, {"sub", "02"}})},
       "sub 01 1/0/0/0\nsub 02 0/2/0/0 motion\n"},
      {"without sub, the first field",
       {withFields(ok, {{"subject", "x"}, {"run", "1"}}),
        withFields(high, {{"subject", "y"}, {"run", "1"}})},
       "subject x 1/0/0/0\nsubject y 0/1/0/0 motion\n"},
      {"a run without the field is a subject of its own, named empty",
       {withFields(ok, {{"sub", "01"}}), withFields(high, {{"run", "2"}})},
       "sub 01 1/0/0/0\nsub  0/1/0/0 motion\n"},
      {"a subject of skipped runs alone fails no rule",
       {skipped("01", 1, "gone"), skipped("01", 2, "gone")},
       "sub 01 0/0/0/2\n"},
      {"a warned run that is not motion's",
       {high, run("01", 2, CheckStatus::high, {"Condition A ~ tx r = 0.9"})},
       "sub 01 0/2/0/0\n"},
      {"failed and skipped beside motion",
       {high, testing::failedRun("01", 2, "bad"), skipped("01", 3, "gone")},
       "sub 01 0/1/1/1\n"},
      {"subjects in their first runs' order",
       {run("02", 1, CheckStatus::ok), run("01", 1, CheckStatus::medium),
        run("02", 2, CheckStatus::ok)},
       "sub 02 2/0/0/0\nsub 01 0/1/0/0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(subjectsText(c.runs), c.expected);
  }
}

}  // namespace
}  // namespace duv
