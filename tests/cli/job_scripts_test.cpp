// The job scripts' words: quoted so that sh gives back every byte, the options a task and the
// gathering job take, and runs cut into pieces.

#include "cli/job_scripts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/process.h"

namespace duv::cli {
namespace {

TEST(JobScriptsTest, QuotedWordsComeBackFromShAsTheyWere) {
  struct Case {
    std::string word;
    std::string quoted;
  };
  const std::vector<Case> cases{
      {"", "''"},
      {"plain", "'plain'"},
      {"out dir", "'out dir'"},
      {"it's", "'it'\\''s'"},
      {"''", "''\\'''\\'''"},
      {"'start", "''\\''start'"},
      {"end'", "'end'\\'''"},
      {"$HOME ${SLURM_CPUS_PER_TASK:-1} $(id)", "'$HOME ${SLURM_CPUS_PER_TASK:-1} $(id)'"},
      {"`id`", "'`id`'"},
      {"\"double\" \\back", "'\"double\" \\back'"},
      {"a;b|c&d>e<f *?[g] ~h #i", "'a;b|c&d>e<f *?[g] ~h #i'"},
      {"line\nbreak\ttab", "'line\nbreak\ttab'"},
      {"-n", "'-n'"},
      {"\xc3\xa9t\xc3\xa9", "'\xc3\xa9t\xc3\xa9'"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shellQuoted(c.word), c.quoted) << c.word;
    const auto echoed = testing::runProcess({"sh", "-c", "printf '%s' " + shellQuoted(c.word)});
    EXPECT_EQ(echoed.exitCode, 0) << c.word;
    EXPECT_EQ(echoed.out, c.word);
  }
  EXPECT_EQ(shellWords({"a b", "it's", ""}), "'a b' 'it'\\''s' ''");
}

TEST(JobScriptsTest, TasksAndTheGatheringJobTakeTheOptionsThatConcernThem) {
  const std::vector<GivenOption> given{
      {"--primary", "data/sub-{sub}/x_{run}.sdm", false},
      {"--confounds-from", "/abs/sub-{sub}/c.tsv", false},
      {"--confounds-from", "rel/c_{run}.tsv", false},
      {"--allow-missing", "true", true},
      {"--only", "sub=01,02", false},
      {"--only", "run=1", false},
      {"--out-dir", "out", false},
      {"--jobs", "8", false},
      {"--force", "true", true},
      {"--group-only", "false", true},
      {"--no-baseline", "true", true},
      {"--contrasts", "c.tsv", false},
      {"--contrast", "A-B=A - B", false},
      {"--fail-on", "high", false},
      {"--submit", "slurm", false},
      {"--array-by", "sub", false},
      {"--sbatch-option", "--time=1:00", false},
      {"--dry-run", "true", true},
  };
  struct Case {
    std::string arrayBy;
    std::vector<std::string> task;
  };
  const std::vector<std::string> common{
      "--primary=/here/data/sub-{sub}/x_{run}.sdm", "--confounds-from=/abs/sub-{sub}/c.tsv",
      "--confounds-from=/here/rel/c_{run}.tsv", "--allow-missing"};
  const std::vector<std::string> rest{"--out-dir=/here/out",     "--force",
                                      "--group-only=false",      "--no-baseline",
                                      "--contrasts=/here/c.tsv", "--contrast=A-B=A - B",
                                      "--fail-on=high"};
  for (const auto& c : std::vector<Case>{{"", {"--only=sub=01,02", "--only=run=1"}},
                                         {"sub", {"--only=run=1"}},
                                         {"run", {"--only=sub=01,02"}},
                                         {"ses", {"--only=sub=01,02", "--only=run=1"}}}) {
    auto expected = common;
    expected.insert(expected.end(), c.task.begin(), c.task.end());
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(taskOptions(given, "/here", c.arrayBy), expected) << c.arrayBy;
  }
  const std::vector<std::string> gathering{"--out-dir=/here/out", "--no-baseline",
                                           "--contrasts=/here/c.tsv", "--contrast=A-B=A - B",
                                           "--fail-on=high"};
  EXPECT_EQ(gatherOptions(given, "/here"), gathering);
}

TEST(JobScriptsTest, RunsAreCutInOrderIntoPiecesOfSizesOneApart) {
  struct Case {
    std::size_t runs;
    std::size_t pieces;
    std::vector<std::size_t> bounds;
  };
  for (const auto& c : std::vector<Case>{{1, 1, {0, 1}},
                                         {8, 1, {0, 8}},
                                         {8, 3, {0, 3, 6, 8}},
                                         {8, 8, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                                         {10, 4, {0, 3, 6, 8, 10}},
                                         {100, 7, {0, 15, 30, 44, 58, 72, 86, 100}}}) {
    EXPECT_EQ(pieceBounds(c.runs, c.pieces), c.bounds) << c.runs << " in " << c.pieces;
  }
}

TEST(JobScriptsTest, APercentSignInTheLogFolderStaysOneForSlurm) {
  StudyJobs jobs;
  jobs.folder = "/data/100% done/slurm";
  jobs.pieces = {"--only=sub=01", "--only=sub=02"};
  const auto array = arraySubmission(jobs, {"--time=5"});
  const std::vector<std::string> expected{"sbatch",
                                          "--parsable",
                                          "--job-name=duvendal-study",
                                          "--array=0-1",
                                          "--output=/data/100%% done/slurm/logs/study-%A_%a.log",
                                          "--time=5",
                                          "/data/100% done/slurm/study.sh"};
  EXPECT_EQ(array, expected);
  EXPECT_EQ(gatherSubmission(jobs, "77", {})[3], "--dependency=afterany:77");
  EXPECT_EQ(gatherSubmission(jobs, "77", {})[4],
            "--output=/data/100%% done/slurm/logs/group-%j.log");
}

}  // namespace
}  // namespace duv::cli
