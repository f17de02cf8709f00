// Contrasts per task: a study of two tasks whose designs name their conditions differently, one
// contrasts file whose `task` column gives each task its own contrasts, and a manifest whose
// field columns and `contrasts` column do the same.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/study_copy_test.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string& kPrimary = testing::kExamplePrimary;
const std::string& kTables = testing::kExampleTables;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

class StudyContrastsTest : public testing::StudyCopyTest {
 protected:
  // A motor task beside the faces task for the first run of sub-01 and sub-02: the faces run's
  // design with its conditions renamed, and its confound table.
  StudyContrastsTest() {
    for (const std::string sub : {"01", "02"}) {
      const std::string faces =
          "examples/study/sub-" + sub + "/func/sub-" + sub + "_task-faces_run-1";
      const std::string motor = replaced(faces, "faces", "motor");
      testing::writeText(file(motor + "_design.sdm"),
                         replaced(text(faces + "_design.sdm"),
                                  "\"Condition A\" \"Condition B\" \"Condition C\" \"Condition D\"",
                                  "\"Left\" \"Right\" \"Up\" \"Down\""));
      const std::string table = "examples/study/derivatives/sub-" + sub + "/func/sub-" + sub +
                                "_task-faces_run-1_desc-confounds_timeseries.tsv";
      fs::copy_file(file(table), file(replaced(table, "faces", "motor")));
    }
    writeContrasts("lr", "Left - Right");
  }

  void writeContrasts(const std::string& name, const std::string& expression) {
    testing::writeText(file("per_task.tsv"),
                       "task\tname\texpression\n"
                       "faces\tmain\t\"Condition A\" - \"Condition B\"\n"
                       "motor\tmain\tUp - Down\n"
                       "motor\t" +
                           name + "\t" + expression +
                           "\n"
                           "\tmotion\ttrans_x\n");
  }

  testing::ProcessResult study(std::vector<std::string> more) {
    std::vector<std::string> arguments{"study",        "--primary",   kPrimary,  "--confounds-from",
                                       kTables,        "--confounds", "motion6", "--contrasts",
                                       "per_task.tsv", "--out-dir",   "out"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run(arguments);
  }

  // group.tsv's cells of the row whose first cells are `start`, by column name.
  std::string cell(const std::string& start, const std::string& column) const {
    const auto table = text("out/group.tsv");
    const auto headerEnd = table.find('\n');
    const auto header = table.substr(0, headerEnd);
    const auto row = table.find("\n" + start);
    if (row == std::string::npos) return "no row " + start;
    const auto line = table.substr(row + 1, table.find('\n', row + 1) - row - 1);
    const auto split = [](const std::string& text) {
      std::vector<std::string> cells;
      std::size_t begin = 0;
      for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\t') continue;
        cells.push_back(text.substr(begin, i - begin));
        begin = i + 1;
      }
      return cells;
    };
    const auto names = split(header);
    const auto cells = split(line);
    for (std::size_t c = 0; c < names.size() && c < cells.size(); ++c) {
      if (names[c] == column) return cells[c];
    }
    return "no column " + column;
  }
};

TEST_F(StudyContrastsTest, EachTaskChecksItsOwnContrastsAndAnEditRedoesOnlyItsRuns) {
  const auto first = study({});
  ASSERT_EQ(first.exitCode, 0) << first.err << first.out;
  EXPECT_EQ(first.out.rfind("10 runs: ", 0), 0U) << first.out;
  // A contrast a run does not get is an empty cell; one it gets is its contrast VIF.
  EXPECT_NE(cell("01\tfaces\t1\t", "main"), "");
  EXPECT_NE(cell("01\tmotor\t1\t", "main"), "");
  EXPECT_EQ(cell("01\tfaces\t1\t", "lr"), "");
  EXPECT_NE(cell("01\tmotor\t1\t", "lr"), "");
  EXPECT_EQ(cell("01\tfaces\t1\t", "status"), "ok");
  EXPECT_NE(cell("02\tmotor\t1\t", "status"), "failed");

  // The motor task's own contrast edited: its two runs alone are done again.
  writeContrasts("lr", "Right - Left");
  const auto edited = study({});
  EXPECT_EQ(edited.exitCode, 0) << edited.err;
  EXPECT_NE(edited.out.find("(8 up to date, not done again)"), std::string::npos) << edited.out;
  // A contrast renamed, among the motor runs only: the same.
  writeContrasts("rl", "Right - Left");
  EXPECT_NE(study({}).out.find("(8 up to date, not done again)"), std::string::npos);
}

TEST_F(StudyContrastsTest, AFieldColumnTheStudyLacksOrAContrastAskedTwiceIsAnError) {
  struct Case {
    std::string contrasts;
    std::vector<std::string> more;
    std::string err;
  };
  const Case cases[] = {
      {"ses\tname\texpression\n1\tmain\tLeft\n",
       {},
       "Error: per_task.tsv: column \"ses\" names no field of the study (it has sub, task, run)\n"},
      {"task\tname\texpression\nmotor\tmain\tLeft\n",
       {"--contrast", "main=Left"},
       "Error: contrast \"main\" is asked for twice\n"},
      {"task\tname\texpression\nmotor\tmain\tLeft\n\tmain\tRight\n",
       {},
       "Error: per_task.tsv, line 3: contrast \"main\" is named again (first on line 2)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contrasts);
    testing::writeText(file("per_task.tsv"), c.contrasts);
    const auto result = study(c.more);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_FALSE(exists("out"));
  }
  // Two tasks' contrasts in one file, where check has no fields to choose by.
  testing::writeText(file("per_task.tsv"), "task\tname\texpression\nmotor\tmain\tLeft\n");
  const auto checked = run({"check", "--contrasts", "per_task.tsv",
                            "examples/study/sub-01/func/sub-01_task-motor_run-1_design.sdm"});
  EXPECT_EQ(checked.exitCode, 1);
  EXPECT_EQ(checked.err,
            "Error: per_task.tsv: column \"task\" names no field (check has none; field columns "
            "choose among the runs of a study)\n");
}

// A manifest's other columns are fields: --only selects by them, group.tsv shows them, and a
// run's `contrasts` cell names its own contrasts file (relative to the manifest).
TEST_F(StudyContrastsTest, AManifestCarriesFieldsAndEachRunsContrastsFile) {
  fs::create_directories(dir_.path() / "m");
  testing::writeText(file("m/motor.tsv"), "name\texpression\nlr\tLeft - Right\n");
  const std::string d = "../examples/study/";
  testing::writeText(
      file("m/runs.tsv"),
      "primary\tconfounds\toutput\tsubject\ttask\tcontrasts\n" + d +
          "sub-01/func/sub-01_task-faces_run-1_design.sdm\t" + d +
          "derivatives/sub-01/func/sub-01_task-faces_run-1_desc-confounds_timeseries.tsv\t"
          "s1f\t01\tfaces\t\n" +
          d + "sub-01/func/sub-01_task-motor_run-1_design.sdm\t" + d +
          "derivatives/sub-01/func/sub-01_task-motor_run-1_desc-confounds_timeseries.tsv\t"
          "s1m\t01\tmotor\tmotor.tsv\n");
  const auto only =
      run({"study", "--manifest", "m/runs.tsv", "--confounds", "motion6", "--contrast",
           "ab=\"Condition A\" - \"Condition B\"", "--only", "task=motor", "--out-dir", "out"});
  ASSERT_EQ(only.exitCode, 0) << only.err << only.out;
  EXPECT_EQ(only.out.rfind("1 run: ", 0), 0U) << only.out;
  EXPECT_TRUE(exists("out/s1m"));
  EXPECT_FALSE(exists("out/s1f"));

  const auto all = run({"study", "--manifest", "m/runs.tsv", "--confounds", "motion6", "--contrast",
                        "ab=\"Condition A\" - \"Condition B\"", "--out-dir", "out"});
  ASSERT_EQ(all.exitCode, 0) << all.err << all.out;
  EXPECT_NE(all.out.find("(1 up to date, not done again)"), std::string::npos) << all.out;
  EXPECT_EQ(text("out/group.tsv").rfind("subject\ttask\tname\tstatus\t", 0), 0U)
      << text("out/group.tsv");
  EXPECT_NE(cell("01\tfaces\t", "ab"), "");
  EXPECT_EQ(cell("01\tfaces\t", "lr"), "");
  EXPECT_EQ(cell("01\tmotor\t", "ab"), "");
  EXPECT_NE(cell("01\tmotor\t", "lr"), "");

  const auto unknown = run({"study", "--manifest", "m/runs.tsv", "--confounds", "motion6", "--only",
                            "ses=1", "--dry-run"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err,
            "Error: --only 'ses=1': the manifest has no field ses (it has subject, task)\n");
}

}  // namespace
}  // namespace duv
