// Study runs through the tool, on a copy of the example study: one command for the study, the
// same bytes as the merges run one by one, runs done only once, failures kept to their run, and
// the study run in pieces.

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/cli/study_copy_test.h"
#include "tests/support/interrupted_save.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string kPrimary =
    "examples/study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm";
const std::string kTables =
    "examples/study/derivatives/sub-{sub}/func/"
    "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv";

class StudyTest : public testing::StudyCopyTest {
 protected:
  testing::ProcessResult study(std::vector<std::string> more) {
    std::vector<std::string> arguments{
        "study",     "--primary",   kPrimary,      "--confounds-from",
        kTables,     "--confounds", "motion6",     "--confounds",
        "wm_csf",    "--allcorr",   "--contrasts", "examples/study/contrasts.tsv",
        "--out-dir", "out"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run(arguments);
  }

  int exitOf(const std::vector<std::string>& arguments) { return run(arguments).exitCode; }

  // Every file below `folder`, by its path relative to it, with its contents.
  std::map<std::string, std::string> filesBelow(const std::string& folder) const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path() / folder)) {
      if (!entry.is_regular_file()) continue;
      files[fs::relative(entry.path(), dir_.path() / folder).generic_string()] =
          testing::readText(entry.path().string());
    }
    return files;
  }

  std::vector<std::string> lines(const std::string& relative) const {
    std::vector<std::string> all;
    std::string line;
    for (const char c : text(relative)) {
      if (c == '\n') {
        all.push_back(line);
        line.clear();
      } else {
        line += c;
      }
    }
    return all;
  }
};

TEST_F(StudyTest, OneCommandRunsTheStudyAndItsGroupViewNamesWhatStandsOut) {
  const auto result = study({"-j", "2", "--fail-on", "high"});
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out.rfind("8 runs: 5 ok, 3 warned, 0 failed\n", 0), 0U) << result.out;
  // Each warned run with its first reason; the restless subject named.
  for (const char* name :
       {"sub-02_task-faces_run-2_design.sdm", "sub-03_task-faces_run-1_design.sdm",
        "sub-03_task-faces_run-2_design.sdm"}) {
    EXPECT_NE(result.out.find(std::string("  high    ") + name + ": "), std::string::npos) << name;
  }
  EXPECT_NE(result.out.find("  high    sub-02_task-faces_run-2_design.sdm: Condition B ~ "
                            "trans_x"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\n  sub 03: every run fails a motion rule (2 runs)\n"),
            std::string::npos)
      << result.out;
  const auto group = lines("out/group.tsv");
  ASSERT_EQ(group.size(), 9U);
  EXPECT_EQ(group[0].rfind("sub\ttask\trun\tname\tstatus\t", 0), 0U) << group[0];
  std::map<std::string, std::string> rowOf;
  for (std::size_t i = 1; i < group.size(); ++i) rowOf[group[i].substr(0, 11)] = group[i];
  // The entangled run: its condition B follows trans_x.
  EXPECT_NE(rowOf["02\tfaces\t2\t"].find("\thigh\t"), std::string::npos);
  EXPECT_NE(rowOf["02\tfaces\t2\t"].find("\tCondition B\ttrans_x\t"), std::string::npos)
      << rowOf["02\tfaces\t2\t"];
  EXPECT_EQ(group[0].substr(group[0].size() - 20), "\tfirst_error\treasons");
  EXPECT_NE(rowOf["02\tfaces\t2\t"].find("\tCondition B ~ trans_x"), std::string::npos);
  EXPECT_EQ(rowOf["01\tfaces\t1\t"].back(), '\t');  // ok: no reasons
  // The restless subject: more than a quarter of its volumes flagged in both runs.
  EXPECT_NE(rowOf["03\tfaces\t1\t"].find("\thigh\t"), std::string::npos);
  EXPECT_NE(rowOf["03\tfaces\t2\t"].find("\thigh\t"), std::string::npos);
  EXPECT_NE(rowOf["01\tfaces\t1\t"].find("\tok\t"), std::string::npos);
  EXPECT_TRUE(exists("out/group.html"));
  EXPECT_TRUE(
      exists("out/sub-01/func/sub-01_task-faces_run-1_design_desc-confounds_timeseries.sdm"));
  EXPECT_TRUE(
      exists("out/sub-01/func/sub-01_task-faces_run-1_design_desc-confounds_timeseries.html"));
  EXPECT_TRUE(exists("out/sub-01/func/sub-01_task-faces_run-1_design.run.json"));
}

// A run writes what merge-all writes for its pair, and what merge-sec writes for its primary
// with several confound inputs.
TEST_F(StudyTest, EveryRunWritesTheBytesOfTheMergeItStandsFor) {
  ASSERT_EQ(study({}).exitCode, 0);
  for (const char* sub : {"01", "02", "03", "04"}) {
    for (const char* run : {"1", "2"}) {
      const std::string stem = std::string("sub-") + sub + "_task-faces_run-" + run;
      const auto merged =
          exitOf({"merge-all", "-q", "--allcorr", "--confounds", "motion6", "--confounds", "wm_csf",
                  "--out-dir", "pairs", "--primary",
                  "examples/study/sub-" + std::string(sub) + "/func/" + stem + "_design.sdm",
                  "examples/study/derivatives/sub-" + std::string(sub) + "/func/" + stem +
                      "_desc-confounds_timeseries.tsv"});
      ASSERT_EQ(merged, 0);
      for (const char* extension : {".sdm", ".txt", ".csv"}) {
        const std::string name = stem + "_design_desc-confounds_timeseries" + extension;
        EXPECT_TRUE(text("pairs/" + name) == text("out/sub-" + std::string(sub) + "/func/" + name))
            << name;
      }
    }
  }
  // Two confound inputs per run: the table and the run's own realignment file.
  for (const auto& entry : fs::recursive_directory_iterator(dir_.path() / "examples/study")) {
    const auto name = entry.path().filename().string();
    if (name.find("_desc-confounds_timeseries.tsv") == std::string::npos) continue;
    fs::copy_file(dir_.path() / "examples/sub01_bold_mcf.par",
                  entry.path().parent_path() / (name.substr(0, name.find("_desc-")) + "_mcf.par"));
  }
  const auto several =
      run({"study", "--primary", kPrimary, "--confounds-from", kTables, "--confounds-from",
           "examples/study/derivatives/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_mcf.par",
           "--confounds", "motion6", "--out-dir", "out2", "--only", "sub=04"});
  ASSERT_EQ(several.exitCode, 0) << several.err << several.out;
  const auto pieces =
      exitOf({"merge-sec", "-q", "--confounds", "motion6", "--out-dir", "sec",
              "examples/study/sub-04/func/sub-04_task-faces_run-1_design.sdm",
              "examples/study/derivatives/sub-04/func/"
              "sub-04_task-faces_run-1_desc-confounds_timeseries.tsv",
              "examples/study/derivatives/sub-04/func/sub-04_task-faces_run-1_mcf.par"});
  ASSERT_EQ(pieces, 0);
  const std::string name = "sub-04_task-faces_run-1_design_desc-confounds_timeseries_mcf.sdm";
  EXPECT_TRUE(text("sec/" + name) == text("out2/sub-04/func/" + name));
}

TEST_F(StudyTest, RunsUpToDateAreNotDoneAgain) {
  ASSERT_EQ(study({}).exitCode, 0);
  const auto before = filesBelow("out");
  const std::string checked =
      "out/sub-01/func/sub-01_task-faces_run-1_design_desc-confounds_timeseries.html";
  const auto stamp = fs::last_write_time(dir_.path() / checked);
  const auto again = study({});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.out.find("(8 up to date, not done again)"), std::string::npos) << again.out;
  EXPECT_EQ(fs::last_write_time(dir_.path() / checked), stamp);
  EXPECT_TRUE(filesBelow("out") == before);
  // A changed input: that run alone; another option: every run; --force: every run.
  testing::writeText(file("examples/study/sub-01/func/sub-01_task-faces_run-1_design.sdm"),
                     text("examples/study/sub-01/func/sub-01_task-faces_run-1_design.sdm") + "\n");
  EXPECT_NE(study({}).out.find("(7 up to date"), std::string::npos);
  EXPECT_EQ(study({"--ztrans"}).out.find("up to date"), std::string::npos);
  EXPECT_EQ(study({"--ztrans", "--force"}).out.find("up to date"), std::string::npos);
  EXPECT_NE(study({"--ztrans"}).out.find("(8 up to date"), std::string::npos);
  // The trailing rows dropped are one of the run's options too.
  EXPECT_EQ(study({"--ztrans", "--skip-last-volumes", "1"}).out.find("up to date"),
            std::string::npos);
}

TEST_F(StudyTest, AFailedRunStaysLocalAndTheStudyCanBeRunInPieces) {
  testing::writeText(file("examples/study/sub-02/func/sub-02_task-faces_run-1_design.sdm"),
                     "NrOfPredictors: 1\n");
  const auto result = study({});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Error: sub-02_task-faces_run-1_design.sdm: "), std::string::npos)
      << result.err;
  EXPECT_NE(result.out.find("8 runs: 4 ok, 3 warned, 1 failed\n  failed  "
                            "sub-02_task-faces_run-1_design.sdm: "),
            std::string::npos)
      << result.out;
  EXPECT_NE(text("out/group.tsv").find("\tfailed\t"), std::string::npos);

  // In pieces, as a cluster's array job runs them: records, and no group outputs until asked.
  for (const char* piece : {"sub=01,02", "sub=03,04"}) {
    EXPECT_NE(run({"study", "--primary", kPrimary, "--confounds-from", kTables, "--confounds",
                   "motion6", "--out-dir", "pieces", "--only", piece})
                  .exitCode,
              64);
  }
  EXPECT_FALSE(exists("pieces/group.tsv"));
  const auto piece = run({"study", "--primary", kPrimary, "--confounds-from", kTables,
                          "--confounds", "motion6", "--out-dir", "pieces", "--only", "sub=04"});
  EXPECT_EQ(piece.err,
            "No group outputs with --only: once every piece is done, duvendal study --group-only "
            "--out-dir pieces builds them from the runs' records\n");
  const auto group = run({"study", "--group-only", "--out-dir", "pieces"});
  EXPECT_EQ(group.exitCode, 1) << group.err;  // the failed run
  EXPECT_EQ(lines("pieces/group.tsv").size(), 9U);
  EXPECT_TRUE(exists("pieces/group.html"));
}

TEST_F(StudyTest, PairingProblemsAreNamedAndDryRunsChangeNothing) {
  fs::remove(dir_.path() /
             "examples/study/derivatives/sub-04/func/"
             "sub-04_task-faces_run-2_desc-confounds_timeseries.tsv");
  const auto missing = study({});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("examples/study/sub-04/func/sub-04_task-faces_run-2_design.sdm: no "
                             "file for --confounds-from"),
            std::string::npos)
      << missing.err;
  EXPECT_FALSE(exists("out"));
  const auto allowed = study({"--allow-missing", "--dry-run"});
  EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
  EXPECT_EQ(allowed.out.substr(0, 4), "sub ");
  EXPECT_EQ(std::count(allowed.out.begin(), allowed.out.end(), '\n'), 8);  // header and 7 runs
  EXPECT_NE(allowed.err.find("Skipped: "), std::string::npos);
  EXPECT_FALSE(exists("out"));

  // Allowed, the missing run is a row of its own, skipped, and changes no exit code; so it
  // stays when the group outputs are built from the records alone.
  const std::string skippedRow =
      "04\tfaces\t2\tsub-04_task-faces_run-2_design.sdm\tskipped"
      // Empty: 11 measures and 4 contrasts.
      "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
      "no file for --confounds-from '" +
      kTables +
      "' (looked for examples/study/derivatives/sub-04/func/"
      "sub-04_task-faces_run-2_desc-confounds_timeseries.tsv)\t"
      "no file for --confounds-from '" +
      kTables +
      "' (looked for examples/study/derivatives/sub-04/func/"
      "sub-04_task-faces_run-2_desc-confounds_timeseries.tsv)";
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{"--allow-missing"}, {"--group-only"}}) {
    const auto done = arguments[0] == "--group-only"
                          ? run({"study", "--group-only", "--out-dir", "out"})
                          : study(arguments);
    SCOPED_TRACE(arguments[0]);
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.out.substr(0, done.out.find('\n')),
              "8 runs: 4 ok, 3 warned, 0 failed, 1 skipped");
    EXPECT_NE(done.out.find("\n  skipped sub-04_task-faces_run-2_design.sdm: no file for "
                            "--confounds-from '" +
                            kTables + "' (looked for "),
              std::string::npos)
        << done.out;
    const auto group = lines("out/group.tsv");
    ASSERT_EQ(group.size(), 9U);
    EXPECT_EQ(group[8], skippedRow);
    EXPECT_NE(text("out/group.html").find("<span class=\"count skipped\">1 skipped</span>"),
              std::string::npos);
  }
  EXPECT_TRUE(exists("out/sub-04/func/sub-04_task-faces_run-2_design.run.json"));
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"study", "--out-dir", "out"},
           {"study", "--primary", kPrimary, "--manifest", "m.tsv", "--out-dir", "out"},
           {"study", "--group-only", "--primary", kPrimary, "--out-dir", "out"},
           {"study", "--primary", "sub-{sub", "--confounds-from", kTables, "--out-dir", "out"}}) {
    EXPECT_EQ(run(arguments).exitCode, 64) << arguments[1];
  }
}

// Stopped half way (SIGTERM), a study leaves no half-written file and resumes where it stopped.
TEST_F(StudyTest, AnInterruptedStudyResumesWhereItStopped) {
  const auto out = dir_.path() / "out";
  fs::create_directories(out);
  const auto stopped = testing::runInterruptedDuringSave(
      {DUVENDAL_TOOL, "study", "--primary", file(kPrimary), "--confounds-from", file(kTables),
       "--confounds", "motion6", "--allcorr", "-j", "1", "--out-dir", out.string()},
      SIGTERM);
  ASSERT_TRUE(stopped.interrupted) << "the study held no save: " << stopped.errors;
  EXPECT_TRUE(WIFSIGNALED(stopped.status));
  for (const auto& entry : fs::recursive_directory_iterator(out)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  }
  const auto resumed = run({"study", "--primary", kPrimary, "--confounds-from", kTables,
                            "--confounds", "motion6", "--allcorr", "--out-dir", "out"});
  EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
  EXPECT_EQ(lines("out/group.tsv").size(), 9U);
}

TEST_F(StudyTest, ASelectionNeitherPresetNorColumnIsAUsageErrorBeforeAnyRun) {
  const auto result = study({"--confounds", "motion36"});
  EXPECT_EQ(result.exitCode, 64);
  EXPECT_EQ(result.err,
            "Error: examples/study/derivatives/sub-01/func/"
            "sub-01_task-faces_run-1_desc-confounds_timeseries.tsv: --confounds \"motion36\" is "
            "neither a preset nor a column; close presets: motion6, motion12, motion24; close "
            "columns: none\nRun 'duvendal --help' for more information.\n");
  EXPECT_FALSE(exists("out"));
}

TEST_F(StudyTest, MoreRunsAtATimeThanAllowedIsAUsageError) {
  const auto result = study({"-j", "257"});
  EXPECT_EQ(result.exitCode, 64);
  EXPECT_NE(result.err.find("--jobs"), std::string::npos) << result.err;
  EXPECT_FALSE(exists("out"));
}

// Threads the system cannot make: each thread's stack as large as the stack limit, and the
// address space too small for a second one beside the thread that waits for signals. The study
// stops before any run, saying how many threads could be made, and leaves nothing behind.
TEST_F(StudyTest, ThreadsTheSystemCannotMakeStopTheStudyWithAnError) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs an address space of its own";
#else
  const auto result = testing::runProcess(
      {"bash", "-c", "ulimit -s 1048576 && ulimit -v 1572864 && exec \"$@\"", "bash", DUVENDAL_TOOL,
       "study", "--primary", kPrimary, "--confounds-from", kTables, "--confounds", "motion6",
       "--allcorr", "-j", "8", "--out-dir", "out"},
      dir_.path().string());
  EXPECT_EQ(result.exitCode, 1) << result.err;
  const std::string expected =
      "Error: Cannot run 8 runs at a time: only 1 thread could be made for them (";
  EXPECT_EQ(result.err.substr(0, expected.size()), expected) << result.err;
  if (exists("out")) {
    EXPECT_TRUE(filesBelow("out").empty());
  }
#endif
}

}  // namespace
}  // namespace duv
