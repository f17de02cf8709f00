// What a study says when it is used in a way that is easy to get wrong: interrupted, quiet, a dry
// run without an output folder, group outputs asked of a folder without records.

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/study_copy_test.h"
#include "tests/support/interrupted_save.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string& kPrimary = testing::kExamplePrimary;
const std::string& kTables = testing::kExampleTables;
const std::string kMissingTable =
    "examples/study/derivatives/sub-04/func/sub-04_task-faces_run-2_desc-confounds_timeseries.tsv";

using StudyMessagesTest = testing::StudyCopyTest;

std::vector<std::string> studyOf(std::vector<std::string> more) {
  std::vector<std::string> arguments{"study", "--primary",   kPrimary, "--confounds-from",
                                     kTables, "--confounds", "motion6"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST_F(StudyMessagesTest, EachMistakeIsSaidInFullAndQuietKeepsOnlyErrorsAndTheSummary) {
  fs::remove(file(kMissingTable));
  fs::create_directories(dir_.path() / "empty");
  const std::string skipped =
      "Skipped: examples/study/sub-04/func/"
      "sub-04_task-faces_run-2_design.sdm: no file for --confounds-from '" +
      kTables + "' (looked for " + kMissingTable + ")\n";
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string err;         // exactly
    std::string outStart;    // what standard output begins with
    const char* madeFolder;  // a folder the command makes, or nullptr for none
  };
  const Case cases[] = {
      // Quiet: no line for the run skipped, the summary as ever (the run skipped counted).
      {studyOf({"--allow-missing", "-q", "--out-dir", "quiet"}), 0, "", "8 runs: ", "quiet"},
      {studyOf({"--allow-missing", "--quiet", "--out-dir", "quiet2"}), 0, "", "8 runs: ", "quiet2"},
      {studyOf({"--allow-missing", "--out-dir", "loud"}), 0, skipped, "8 runs: ", "loud"},
      // Quiet keeps what stops the study.
      {studyOf({"-q", "--out-dir", "stopped"}), 1,
       "Error: the study's files do not pair (1 problem):\n" + skipped.substr(9), "", nullptr},
      // A dry run lists the runs without an output folder, and writes nothing.
      {studyOf({"--allow-missing", "--dry-run"}), 0, skipped, "sub  task   run  primary", nullptr},
      {studyOf({"--allow-missing", "--dry-run", "-q"}), 0, "", "sub  task   run  primary", nullptr},
      // Only a dry run may go without one.
      {studyOf({}), 64,
       "Error: --out-dir is required\nRun 'duvendal --help' for more information.\n", "", nullptr},
      {{"study", "--group-only", "--dry-run"},
       64,
       "Error: --out-dir is required\nRun 'duvendal --help' for more information.\n",
       "",
       nullptr},
      // Group outputs of a folder that holds no record are an error, and none are written.
      {{"study", "--group-only", "--out-dir", "empty"},
       1,
       "Error: no run records were found in empty: a study writes one beside each run's outputs "
       "(<run>.run.json) when it runs without --group-only\n",
       "",
       nullptr},
      {{"study", "--group-only", "-q", "--out-dir", "empty"},
       1,
       "Error: no run records were found in empty: a study writes one beside each run's outputs "
       "(<run>.run.json) when it runs without --group-only\n",
       "",
       nullptr},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& argument : c.arguments) shown += argument + " ";
    SCOPED_TRACE(shown);
    const auto before = std::distance(fs::directory_iterator(dir_.path()), {});
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out.substr(0, c.outStart.size()), c.outStart) << result.out;
    if (c.madeFolder != nullptr) {
      EXPECT_TRUE(exists(c.madeFolder));
    } else {
      EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), before);
    }
  }
  EXPECT_TRUE(fs::is_empty(dir_.path() / "empty"));
  // The dry run's table: a header and a line per run.
  const auto listed = run(studyOf({"--allow-missing", "--dry-run", "-q"})).out;
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 8);
}

// Stopped by the user, a study says how far it got: runs up to date count as done, the run it
// was in does not.
TEST_F(StudyMessagesTest, AnInterruptedStudySaysHowManyRunsAreDoneAndHowToResume) {
  const auto out = dir_.path() / "out";
  const auto first = run(studyOf({"--only", "sub=01", "--out-dir", out.string()}));
  ASSERT_EQ(first.exitCode, 0) << first.err;
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    std::vector<std::string> command = studyOf({"-j", "1", "--out-dir", out.string()});
    command[2] = file(kPrimary);
    command[4] = file(kTables);
    command.insert(command.begin(), DUVENDAL_TOOL);
    const auto stopped = testing::runInterruptedDuringSave(command, signal);
    ASSERT_TRUE(stopped.interrupted) << "the study held no save: " << stopped.errors;
    EXPECT_TRUE(WIFSIGNALED(stopped.status));
    EXPECT_EQ(WTERMSIG(stopped.status), signal);
    const std::string said =
        "Interrupted: 2 of 8 runs done; run the same command again to resume.\n";
    ASSERT_GE(stopped.errors.size(), said.size()) << stopped.errors;
    EXPECT_EQ(stopped.errors.substr(stopped.errors.size() - said.size()), said) << stopped.errors;
  }
  // One run: "run", not "runs".
  const auto one = testing::runInterruptedDuringSave(
      {DUVENDAL_TOOL, "study", "--primary", file(kPrimary), "--confounds-from", file(kTables),
       "--confounds", "motion6", "--only", "sub=02", "--only", "run=1", "--out-dir",
       (dir_.path() / "one").string()},
      SIGTERM);
  ASSERT_TRUE(one.interrupted) << one.errors;
  const std::string said = "Interrupted: 0 of 1 run done; run the same command again to resume.\n";
  ASSERT_GE(one.errors.size(), said.size()) << one.errors;
  EXPECT_EQ(one.errors.substr(one.errors.size() - said.size()), said) << one.errors;
}

}  // namespace
}  // namespace duv
