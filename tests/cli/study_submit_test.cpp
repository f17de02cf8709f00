// study --submit slurm through the tool, on a copy of the example study, with a fake sbatch on
// PATH: the scripts as --dry-run prints them, word for word; the jobs submitted in order and
// their scripts doing the study as one machine does; sbatch missing or refusing; the usage
// errors; and --run-list, by which a task is given its runs.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/study_copy_test.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string kPrimary =
    "examples/study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm";
const std::string kTables =
    "examples/study/derivatives/sub-{sub}/func/"
    "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv";

// Records its arguments, one a line, in args-<n> and answers as sbatch --parsable does with the
// job id n, counting from 101.
constexpr const char* kRecordingSbatch =
    "#!/bin/sh\n"
    "here=${0%/*}\n"
    "n=100\n"
    "[ -f \"$here/count\" ] && read -r n <\"$here/count\"\n"
    "n=$((n + 1))\n"
    "echo \"$n\" >\"$here/count\"\n"
    "printf '%s\\n' \"$@\" >\"$here/args-$n\"\n"
    "echo \"$n;cluster\"\n";

class StudySubmitTest : public testing::StudyCopyTest {
 protected:
  StudySubmitTest() { fs::create_directories(dir_.path() / "bin"); }

  // A program named sbatch in the folder put first on PATH.
  void fakeSbatch(const std::string& script) {
    testing::writeText(file("bin/sbatch"), script);
    fs::permissions(file("bin/sbatch"), fs::perms::owner_all);
  }

  // The tool on the example study, the fake sbatch alone on PATH.
  testing::ProcessResult submit(std::vector<std::string> more) {
    std::vector<std::string> arguments{"env",
                                       "PATH=" + file("bin"),
                                       DUVENDAL_TOOL,
                                       "study",
                                       "--primary",
                                       kPrimary,
                                       "--confounds-from",
                                       kTables,
                                       "--contrasts",
                                       "examples/study/contrasts.tsv",
                                       "--confounds",
                                       "motion6",
                                       "--confounds",
                                       "wm_csf"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return testing::runProcess(arguments, dir_.path().string());
  }

  std::string here() const { return fs::canonical(dir_.path()).string(); }
};

TEST_F(StudySubmitTest, DryRunPrintsTheScriptsWithEveryWordQuotedForSh) {
  const std::string tool = fs::canonical(DUVENDAL_TOOL).string();
  struct Case {
    std::string outDir;
    std::string quotedOutDir;  // outDir as it stands between single quotes
    std::vector<std::string> more;
    std::string quotedMore;  // the words of `more` as the scripts write them
  };
  const std::vector<Case> cases{
      {"out", "out", {}, ""},
      {"out dir", "out dir", {"--nuisance", "drift *"}, " '--nuisance=drift *'"},
      {"it's", "it'\\''s", {"--nuisance", "'quoted'"}, " '--nuisance='\\''quoted'\\'''"},
      {"$HOME", "$HOME", {"--nuisance", "$PATH `id`"}, " '--nuisance=$PATH `id`'"},
      {"a \"b\" \\c", "a \"b\" \\c", {"--nuisance", "-x"}, " '--nuisance=-x'"},
  };
  for (const auto& c : cases) {
    auto arguments = c.more;
    arguments.insert(arguments.end(),
                     {"--out-dir", c.outDir, "--submit", "slurm", "--pieces", "2", "--dry-run",
                      "--sbatch-option=--partition=it's $x", "-j", "3"});
    const auto result = submit(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto slurm = here() + "/" + c.outDir + "/slurm";
    const auto quotedSlurm = here() + "/" + c.quotedOutDir + "/slurm";
    const auto outDir = "'--out-dir=" + here() + "/" + c.quotedOutDir + "'";
    std::string pieces;
    for (int piece = 0; piece < 2; ++piece) {
      pieces += "==> " + slurm + "/piece-" + std::to_string(piece) + ".txt <==\n";
      for (int sub = 1 + 2 * piece; sub <= 2 + 2 * piece; ++sub) {
        for (const char* run : {"1", "2"}) {
          const auto subject = "sub-0" + std::to_string(sub);
          pieces += here() + "/examples/study/" + subject + "/func/" + subject +
                    "_task-faces_run-" + run + "_design.sdm\n";
        }
      }
    }
    const std::string cd =
        "# Where the study was submitted: paths not made absolute are relative to it.\n"
        "cd '" +
        here() + "' || exit 1\n";
    const std::string confounds = " '--confounds=motion6' '--confounds=wm_csf'";
    const std::string contrasts = " '--contrasts=" + here() + "/examples/study/contrasts.tsv'";
    const std::string expected =
        "==> " + slurm + "/study.sh <==\n" +
        "#!/bin/sh\n"
        "# A piece of the study per task of this array job (duvendal study --submit slurm).\n" +
        cd +
        "case \"$SLURM_ARRAY_TASK_ID\" in\n"
        "  0) piece='--run-list=" +
        quotedSlurm + "/piece-0.txt' ;;\n  1) piece='--run-list=" + quotedSlurm +
        "/piece-1.txt' ;;\n"
        "  *) echo \"study.sh: no piece for array task '$SLURM_ARRAY_TASK_ID'\" >&2; exit 64 ;;\n"
        "esac\n"
        "exec '" +
        tool + "' 'study' '--primary=" + here() + "/" + kPrimary + "' '--confounds-from=" + here() +
        "/" + kTables + "' " + outDir + confounds + c.quotedMore + contrasts +
        " -j \"${SLURM_CPUS_PER_TASK:-1}\" \"$piece\"\n" + pieces + "==> " + slurm +
        "/group.sh <==\n" +
        "#!/bin/sh\n"
        "# The group outputs from the runs' records, after the array job (duvendal study "
        "--submit slurm).\n" +
        cd + "exec '" + tool + "' 'study' '--group-only' " + outDir + confounds + c.quotedMore +
        contrasts +
        "\n==> submitted with <==\n"
        "'sbatch' '--parsable' '--job-name=duvendal-study' '--array=0-1' '--output=" +
        quotedSlurm + "/logs/study-%A_%a.log' '--partition=it'\\''s $x' '" + quotedSlurm +
        "/study.sh'\n"
        "'sbatch' '--parsable' '--job-name=duvendal-group' "
        "'--dependency=afterany:<array job id>' '--output=" +
        quotedSlurm + "/logs/group-%j.log' '--partition=it'\\''s $x' '" + quotedSlurm +
        "/group.sh'\n";
    EXPECT_EQ(result.out, expected) << c.outDir;
    EXPECT_FALSE(exists(c.outDir)) << "a dry run writes nothing";
  }
}

// The jobs are submitted in order, the gathering one after the array; their scripts, run as
// SLURM runs them, do the study in pieces into an output folder whose name needs quoting, and
// gather the same group.tsv as one machine.
TEST_F(StudySubmitTest, TheSubmittedScriptsDoTheStudyAsOneMachineDoes) {
  fakeSbatch(kRecordingSbatch);
  ASSERT_EQ(submit({"--out-dir", "one", "-j", "2"}).exitCode, 0);
  const std::string outDir = "it's a \"$x\" dir";
  struct Case {
    std::vector<std::string> cut;
    std::size_t tasks;
  };
  for (const auto& c :
       std::vector<Case>{{{"--array-by", "sub"}, 4}, {{}, 8}, {{"--pieces", "3"}, 3}}) {
    fs::remove_all(file(outDir));
    fs::remove(file("bin/count"));
    auto arguments = c.cut;
    arguments.insert(arguments.end(), {"--out-dir", outDir, "--submit", "slurm",
                                       "--sbatch-option=--time=5", "--fail-on", "high"});
    const auto result = submit(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto slurm = here() + "/" + outDir + "/slurm";
    EXPECT_EQ(result.out, "Submitted 8 runs in " + std::to_string(c.tasks) +
                              " pieces as array job 101, and the group outputs as job 102 after "
                              "it.\nFollow them with: squeue -j 101,102\nLogs: " +
                              slurm + "/logs/study-101_<task>.log and group-102.log\n");
    EXPECT_EQ(text("bin/args-101"), "--parsable\n--job-name=duvendal-study\n--array=0-" +
                                        std::to_string(c.tasks - 1) + "\n--output=" + slurm +
                                        "/logs/study-%A_%a.log\n--time=5\n" + slurm +
                                        "/study.sh\n");
    EXPECT_EQ(text("bin/args-102"),
              "--parsable\n--job-name=duvendal-group\n--dependency=afterany:101\n--output=" +
                  slurm + "/logs/group-%j.log\n--time=5\n" + slurm + "/group.sh\n");
    EXPECT_TRUE(fs::is_directory(slurm + "/logs"));
    for (std::size_t task = 0; task < c.tasks; ++task) {
      const auto done = testing::runProcess({"env", "SLURM_ARRAY_TASK_ID=" + std::to_string(task),
                                             "SLURM_CPUS_PER_TASK=2", "sh", slurm + "/study.sh"},
                                            "/");
      EXPECT_TRUE(done.exitCode == 0 || done.exitCode == 3) << done.err;  // 3: a warned run
    }
    EXPECT_FALSE(exists(outDir + "/group.tsv")) << "the pieces leave the group outputs";
    const auto gathered = testing::runProcess({"sh", slurm + "/group.sh"}, "/");
    EXPECT_EQ(gathered.exitCode, 3) << gathered.err;  // --fail-on high reaches the gathering
    EXPECT_EQ(text(outDir + "/group.tsv"), text("one/group.tsv"));
  }
  const auto stray = testing::runProcess(
      {"env", "SLURM_ARRAY_TASK_ID=8", "sh", here() + "/" + outDir + "/slurm/study.sh"});
  EXPECT_EQ(stray.exitCode, 64);
  EXPECT_EQ(stray.err, "study.sh: no piece for array task '8'\n");
}

TEST_F(StudySubmitTest, SbatchMissingOrRefusingIsAnErrorSayingWhatItSaid) {
  struct Case {
    std::string sbatch;  // empty: none on PATH
    std::string error;
  };
  std::string manyLines;
  for (int line = 1; line < 20000; ++line) manyLines += "err\n";
  const std::vector<Case> cases{
      {"", "Error: cannot run sbatch (No such file or directory)\n"},
      {"#!/bin/sh\necho 'sbatch: error: invalid partition specified: gpu' >&2\nexit 1\n",
       "Error: sbatch refused the array job (exit code 1): sbatch: error: invalid partition "
       "specified: gpu\n"},
      {"#!/bin/sh\necho 'Submitted batch job 7'\n",
       "Error: sbatch answered 'Submitted batch job 7\n', not a job id\n"},
      {"#!/bin/sh\ncase \"$*\" in *afterany*) echo 'sbatch: error: QOSMaxSubmitJobPerUserLimit' "
       ">&2; exit 2;; esac\necho 55\n",
       "Error: sbatch refused the gathering job (exit code 2): sbatch: error: "
       "QOSMaxSubmitJobPerUserLimit; the array job 55 is submitted (scancel 55 cancels it)\n"},
      {"#!/bin/sh\nkill -9 $$\n", "Error: sbatch refused the array job (exit code 137): \n"},
      // More than a pipe holds on both streams at once: both are read as they come.
      {"#!/bin/sh\ni=0\nwhile [ $i -lt 20000 ]; do echo out; echo err >&2; i=$((i + 1)); "
       "done\nexit 3\n",
       "Error: sbatch refused the array job (exit code 3): " + manyLines + "err\n"},
  };
  for (const auto& c : cases) {
    fs::remove(file("bin/sbatch"));
    if (!c.sbatch.empty()) fakeSbatch(c.sbatch);
    const auto result = submit({"--out-dir", "out", "--submit", "slurm"});
    EXPECT_EQ(result.exitCode, 1) << c.sbatch;
    EXPECT_EQ(result.err, c.error);
    EXPECT_EQ(result.out, "");
  }
}

TEST_F(StudySubmitTest, WhatCannotBeSubmittedIsRefusedBeforeAnythingIsWritten) {
  fakeSbatch(kRecordingSbatch);
  testing::writeText(file("study.tsv"),
                     "primary\tconfounds\n"
                     "examples/study/sub-01/func/sub-01_task-faces_run-1_design.sdm\t"
                     "examples/study/derivatives/sub-01/func/"
                     "sub-01_task-faces_run-1_desc-confounds_timeseries.tsv\n");
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string error;
  };
  const std::vector<Case> cases{
      {{"--array-by", "sub"}, 64, "--array-by, --pieces and --sbatch-option go with --submit"},
      {{"--sbatch-option=-p x"}, 64, "--array-by, --pieces and --sbatch-option go with --submit"},
      {{"--submit", "slurm", "--run-list", "list.txt"},
       64,
       "--submit cuts the study into pieces itself: it takes no --group-only or --run-list"},
      {{"--submit", "pbs"}, 64, "--submit: pbs not in {slurm}"},
      {{"--submit", "slurm", "--pieces", "0"}, 64, "--pieces: Value 0 not in range"},
      {{"--submit", "slurm", "--pieces", "2", "--array-by", "sub"}, 64, "excludes"},
      {{"--submit", "slurm", "--array-by", "ses"},
       1,
       "--array-by ses: the runs have no field ses (they have sub, task, run)"},
      {{"--submit", "slurm", "--pieces", "9"}, 1, "--pieces 9: the study has only 8 runs"},
      {{"--submit", "slurm", "--confounds-from", "examples/study/none_{sub}.tsv"},
       1,
       "the study's files do not pair"},
  };
  for (const auto& c : cases) {
    auto arguments = c.arguments;
    arguments.insert(arguments.end(), {"--out-dir", "out"});
    const auto result = submit(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.error;
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    EXPECT_FALSE(exists("out"));
    EXPECT_FALSE(exists("bin/count")) << "sbatch was run";
  }
  const auto noFolder = submit({"--submit", "slurm", "--dry-run"});
  EXPECT_EQ(noFolder.exitCode, 64);
  EXPECT_EQ(noFolder.err.rfind("Error: --submit needs --out-dir: the job scripts go into it\n", 0),
            0U)
      << noFolder.err;
  const auto manifest = run({"study", "--manifest", "study.tsv", "--out-dir", "out", "--submit",
                             "slurm", "--array-by", "sub", "--dry-run"});
  EXPECT_EQ(manifest.exitCode, 1);
  EXPECT_EQ(manifest.err,
            "Error: --array-by sub: a manifest's runs have no fields to split by; give --pieces "
            "N\n");
}

// A task's runs by their primaries, spelled any way; the group outputs are left to
// --group-only.
TEST_F(StudySubmitTest, RunListDoesOnlyTheListedRuns) {
  const std::string one = "examples/study/sub-01/func/sub-01_task-faces_run-1_design.sdm";
  const std::string three = "examples/study/sub-03/func/sub-03_task-faces_run-2_design.sdm";
  struct Case {
    std::string list;
    int exitCode;
    std::string error;  // on standard error after "Error: list.txt, "
  };
  const std::vector<Case> cases{
      {one + "\n\n./examples/study/../study/sub-03/func/sub-03_task-faces_run-2_design.sdm\n", 0,
       ""},
      {here() + "/" + three + "\n" + one, 0, ""},
      {one + "\nexamples/study/contrasts.tsv\n", 1,
       "line 2: 'examples/study/contrasts.tsv' is not the primary of a run of the study\n"},
      {three + "\n" + one + "\n" + here() + "/" + three + "\n", 1,
       "line 3: '" + here() + "/" + three + "' is listed again (first on line 1)\n"},
      {"\n\n", 1, "no run listed\n"},
  };
  for (const auto& c : cases) {
    fs::remove_all(file("out"));
    testing::writeText(file("list.txt"), c.list);
    const auto result = submit({"--out-dir", "out", "--run-list", "list.txt"});
    EXPECT_EQ(result.exitCode, c.exitCode) << c.list;
    if (c.exitCode != 0) {
      EXPECT_EQ(result.err,
                "Error: list.txt" + std::string(c.error[0] == 'l' ? ", " : ": ") + c.error);
      continue;
    }
    EXPECT_EQ(result.out.rfind("2 runs: 1 ok, 1 warned", 0), 0U) << result.out;
    EXPECT_TRUE(exists("out/sub-01/func/sub-01_task-faces_run-1_design.run.json"));
    EXPECT_TRUE(exists("out/sub-03/func/sub-03_task-faces_run-2_design.run.json"));
    EXPECT_FALSE(exists("out/sub-02"));
    EXPECT_FALSE(exists("out/group.tsv"));
  }
  EXPECT_EQ(run({"study", "--group-only", "--out-dir", "out", "--run-list", "list.txt"}).exitCode,
            64);
}

}  // namespace
}  // namespace duv
