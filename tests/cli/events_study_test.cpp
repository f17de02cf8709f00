// Study runs from events through the tool, on a copy of the example study: its events files,
// the repetition time from the dataset's sidecar and the volumes from the confound tables, in
// one command; runs redone when a design option changes; runs without a repetition time.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "tests/cli/study_copy_test.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string kEvents =
    "examples/study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_events.tsv";
const std::string kTables =
    "examples/study/derivatives/sub-{sub}/func/"
    "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv";
const std::string kRun = "out/sub-01/func/sub-01_task-faces_run-1_events";

class EventsStudyTest : public testing::StudyCopyTest {
 protected:
  testing::ProcessResult study(std::vector<std::string> more) {
    std::vector<std::string> arguments{"study",
                                       "--events",
                                       kEvents,
                                       "--confounds-from",
                                       kTables,
                                       "--confounds",
                                       "motion6",
                                       "--contrasts",
                                       "examples/study/contrasts.tsv",
                                       "--out-dir",
                                       "out"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run(arguments);
  }

  std::string firstLine(const std::string& text) const { return text.substr(0, text.find('\n')); }
};

TEST_F(EventsStudyTest, RunsFromEventsWithTheDatasetsRepetitionTimeAndRedoesChangedOptions) {
  const auto first = study({});
  ASSERT_NE(first.exitCode, 1) << first.err;
  EXPECT_EQ(firstLine(first.out).substr(0, 8), "8 runs: ");
  EXPECT_EQ(first.err, "");
  // The design built from the events is saved beside the run's merged design, at TR 2 s (the
  // dataset's sidecar) and 240 volumes (the confound table's rows).
  const auto design = readSdmFile(file(kRun + ".sdm"), realFileSystem());
  EXPECT_EQ(design.nrOfDataPoints.value, 240);
  EXPECT_EQ(design.predictorNames.front(), "Condition A");
  EXPECT_EQ(design.predictorNames.back(), "constant");
  EXPECT_TRUE(exists(kRun + "_desc-confounds_timeseries.sdm"));
  EXPECT_NE(text(kRun + ".run.json").find("task-faces_bold.json"), std::string::npos);

  // Up to date: not done again; a design option changed: every run again.
  EXPECT_NE(firstLine(study({}).out).find("(8 up to date, not done again)"), std::string::npos);
  const auto changed = study({"--hrf", "spm + derivative"});
  EXPECT_EQ(firstLine(changed.out).find("up to date"), std::string::npos) << changed.out;
  const auto derivative = readSdmFile(file(kRun + ".sdm"), realFileSystem());
  EXPECT_EQ(derivative.predictorNames[1], "Condition A_derivative");

  // A changed sidecar redoes the runs too: here a repetition time of 1 s.
  testing::writeText(file("examples/study/task-faces_bold.json"), "{\"RepetitionTime\": 1}");
  const auto faster = study({"--hrf", "spm + derivative"});
  EXPECT_EQ(firstLine(faster.out).find("up to date"), std::string::npos) << faster.out;
  EXPECT_NE(readSdmFile(file(kRun + ".sdm"), realFileSystem()).values[0], derivative.values[0]);

  // The built design is exported with the run's --export, and its files are the run's outputs.
  ASSERT_NE(study({"--hrf", "spm + derivative", "--export", "tsv"}).exitCode, 1);
  EXPECT_TRUE(exists(kRun + ".tsv"));
  EXPECT_TRUE(exists(kRun + ".json"));
  EXPECT_NE(text(kRun + ".run.json").find("sub-01_task-faces_run-1_events.tsv\""),
            std::string::npos);
}

TEST_F(EventsStudyTest, ARunWithoutARepetitionTimeOrWithEventsPastItsEndSaysSo) {
  fs::remove(file("examples/study/task-faces_bold.json"));
  const auto events = file("examples/study/sub-02/func/sub-02_task-faces_run-1_events.tsv");
  testing::writeText(events, testing::readText(events) + "500\t4\tCondition A\n");
  const auto result = study({"--only", "sub=01,02", "--only", "run=1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Error: sub-01_task-faces_run-1_events.tsv: "
                            "examples/study/sub-01/func/sub-01_task-faces_run-1_events.tsv: no "
                            "repetition time: no --tr and no *_bold.json sidecar with a "
                            "RepetitionTime applies to it\n"),
            std::string::npos)
      << result.err;

  const auto given = study({"--only", "sub=02", "--only", "run=1", "--tr", "2"});
  EXPECT_NE(given.exitCode, 1) << given.err;
  const std::string warning =
      "examples/study/sub-02/func/sub-02_task-faces_run-1_events.tsv: Condition A: 1 event "
      "starts after the run's end (480 s, 240 volumes): left out of the design";
  // Among the run's reasons, after its check's.
  const auto record = text("out/sub-02/func/sub-02_task-faces_run-1_events.run.json");
  EXPECT_NE(record.find("\"" + warning + "\"\n  ],"), std::string::npos) << record;
}

TEST_F(EventsStudyTest, DesignOptionsBelongToEventsRuns) {
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  };
  const std::string usageEnd = "\nRun 'duvendal --help' for more information.\n";
  const Case cases[] = {
      {{"study", "--primary", kEvents, "--confounds-from", kTables, "--hrf", "spm", "--out-dir",
        "out"},
       "Error: --hrf requires --events" + usageEnd},
      {{"study", "--events", kEvents, "--primary", kEvents, "--confounds-from", kTables,
        "--out-dir", "out"},
       "Error: --events takes the place of --primary: give no --manifest or --primary with it" +
           usageEnd},
      {{"study", "--events", kEvents, "--out-dir", "out"},
       "Error: --events needs --confounds-from: a run's design is merged with its confounds" +
           usageEnd},
      {{"study", "--events", kEvents, "--confounds-from", kTables, "--drift-order", "2",
        "--out-dir", "out"},
       "Error: --drift-order: only with --drift polynomial" + usageEnd},
  };
  for (const auto& c : cases) {
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, 64) << c.err;
    EXPECT_EQ(result.err, c.err);
  }
}

}  // namespace
}  // namespace duv
