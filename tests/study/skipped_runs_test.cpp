// The records a study keeps of its runs beyond their figures: the reasons of each run done, and
// the records of the runs it skipped, saved beside the others and put in their places.

#include "study/skipped_runs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/confound_selection.h"
#include "study/run_merge_check.h"
#include "study/run_record_file.h"
#include "study/study_pairing.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

RunPlan planOf(const std::string& name, const std::string& folder) {
  RunPlan plan;
  plan.name = name;
  plan.primary = "in/" + folder + "/" + name;
  plan.confounds = {"in/" + folder + "/c.tsv"};
  plan.fields = {{"sub", folder}};
  plan.outputFolder = folder;
  return plan;
}

TEST(SkippedRunsTest, RecordsAreSavedAndPutAmongTheRunsDone) {
  struct Case {
    const char* title;
    std::size_t done;
    std::vector<std::size_t> before;  // of each skipped run
    std::string order;                // of the records: d for one done, s for one skipped
  };
  const Case cases[] = {
      {"none skipped", 3, {}, "ddd"},
      {"first", 2, {0}, "sdd"},
      {"last", 2, {2}, "dds"},
      {"two at one place", 2, {1, 1}, "dssd"},
      {"everywhere", 2, {0, 1, 2}, "sdsds"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    testing::MemoryFileSystem files;
    files.files["in/a/c.tsv"] = "x\n";
    std::vector<RunRecord> done(c.done);
    for (auto& record : done) record.name = "done.sdm";
    std::vector<SkippedRun> skipped;
    for (std::size_t i = 0; i < c.before.size(); ++i) {
      const std::string folder(1, static_cast<char>('a' + i));
      skipped.push_back({planOf("s" + folder + ".sdm", folder),
                         "in/" + folder + "/s.sdm: no such file", c.before[i]});
    }
    RunnerSettings settings;
    settings.studyFolder = "out";
    settings.toolVersion = "9.9";
    const auto records = recordSkippedRuns(done, skipped, RunOptions{}, settings, files);
    std::string order;
    for (const auto& record : records) order += record.skipped ? "s" : "d";
    EXPECT_EQ(order, c.order);
    for (const auto& run : skipped) {
      const auto path = "out/" + run.plan.outputFolder + "/" + runRecordFileName(run.plan.name);
      ASSERT_TRUE(files.contents(path)) << path;
      const auto saved = parseRunRecord(*files.contents(path), path);
      EXPECT_TRUE(saved.skipped);
      EXPECT_EQ(saved.status, CheckStatus::failed);
      EXPECT_EQ(saved.firstError, run.why);
      EXPECT_EQ(saved.reasons, std::vector<std::string>{run.why});
      EXPECT_EQ(saved.fields, run.plan.fields);
      EXPECT_EQ(saved.toolVersion, "9.9");
      EXPECT_EQ(saved.options, canonicalText(RunOptions{}));
      EXPECT_TRUE(saved.outputs.empty());
      EXPECT_EQ(saved.checkPage, "");
      // Its inputs as they are: the missing primary of no size, the table there.
      ASSERT_EQ(saved.inputs.size(), 2U);
      EXPECT_EQ(saved.inputs[0].size, 0U);
      // Never up to date: once its inputs are there, the run is done.
      EXPECT_FALSE(isUpToDate(saved, "9.9", saved.options, saved.inputs, "out", files));
    }
  }
}

// The runs of the example study as the runner does them, each keeping its check's reasons: an
// ok run none, the entangled run its task ~ motion pair first, the restless subject's runs a
// motion rule; a failed run its error.
TEST(RunReasonsTest, EachRunKeepsItsChecksReasons) {
  testing::MemoryFileSystem files;
  const fs::path study = fs::path(testing::sourceDir()) / "examples" / "study";
  for (const auto& entry : fs::recursive_directory_iterator(study)) {
    if (!entry.is_regular_file()) continue;
    files.files["s/" + fs::relative(entry.path(), study).generic_string()] =
        testing::readText(entry.path().string());
  }
  files.files["s/sub-04/func/sub-04_task-faces_run-1_design.sdm"] = "NrOfPredictors: 1\n";
  RunOptions options;
  options.confounds.selection = {parseConfoundSelector("motion6")};
  const auto pairing =
      pairStudyFiles("", "s/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm",
                     {"s/derivatives/sub-{sub}/func/"
                      "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv"},
                     {}, files);
  struct Expected {
    const char* sub;
    const char* run;
    const char* firstReason;  // "" for none
    bool motion;
  };
  const Expected expected[] = {
      {"01", "1", "", false},
      {"02", "2", "Condition B ~ trans_x r = ", false},
      {"03", "1", "mean FD ", true},
      {"03", "2", "mean FD ", true},
      {"04", "1", "s/sub-04/func/sub-04_task-faces_run-1_design.sdm", false},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(std::string(e.sub) + " " + e.run);
    const RunPlan* plan = nullptr;
    for (const auto& candidate : pairing.runs) {
      if (candidate.fields[0].second == e.sub && candidate.fields[2].second == e.run) {
        plan = &candidate;
      }
    }
    ASSERT_NE(plan, nullptr);
    const auto record = mergeAndCheckRun(*plan, options, "", "1", "out", files);
    EXPECT_EQ(record.failedMotionRule, e.motion);
    if (std::string(e.firstReason).empty()) {
      EXPECT_TRUE(record.reasons.empty()) << record.reasons.front();
      continue;
    }
    ASSERT_FALSE(record.reasons.empty());
    EXPECT_EQ(record.reasons.front().rfind(e.firstReason, 0), 0U) << record.reasons.front();
    if (record.status == CheckStatus::failed) {
      EXPECT_EQ(record.reasons, std::vector<std::string>{*record.firstError});
    } else {
      EXPECT_TRUE(levelOfStatus(record.status).has_value());
    }
  }
}

}  // namespace
}  // namespace duv
