// A study as a lab meets it, end to end: two tasks with their own contrasts, a subject that
// moves a little at every volume, a run whose task follows head motion, and a run whose confound
// table is missing. One command gives a verdict that says what to act on and why.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "examples/generator/study_generator.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

// The group table's rows by "sub task run", each as its cells by column name.
std::map<std::string, std::map<std::string, std::string>> groupRows(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  std::vector<std::string> header;
  std::map<std::string, std::map<std::string, std::string>> rows;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
    if (header.empty()) {
      header = cells;
      continue;
    }
    std::map<std::string, std::string> row;
    for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i) row[header[i]] = cells[i];
    rows[row["sub"] + " " + row["task"] + " " + row["run"]] = row;
  }
  return rows;
}

TEST(StudyVerdictTest, OneCommandNamesTheMovingSubjectTheEntangledRunAndTheSkippedOne) {
  testing::TempDir dir;
  examples::StudyShape shape;
  shape.restless = 0;
  shape.steadyMover = 3;
  shape.entangledSubject = 2;
  shape.entangledRun = 1;
  shape.tasks = {{"faces", {"Face", "House"}}, {"motor", {"Left", "Right"}}};
  shape.missingTable = "sub-04_task-motor_run-2";
  for (const auto& file : examples::exampleStudy(shape, 11)) {
    const auto path = dir.path() / file.path;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << file.text;
  }

  const auto result = testing::runProcess(
      {DUVENDAL_TOOL, "study", "--primary",
       "sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm", "--confounds-from",
       "derivatives/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv",
       "--confounds", "motion6", "--contrasts", "contrasts.tsv", "--allow-missing", "--out-dir",
       "out", "-j", "2"},
      dir.path().string());
  // Warned runs, none failed: the exit code of warnings below --fail-on's default level.
  ASSERT_EQ(result.exitCode, 0) << result.err << result.out;

  const auto rows = groupRows(testing::readText((dir.path() / "out/group.tsv").string()));
  ASSERT_EQ(rows.size(), 16U);
  for (const char* task : {"faces", "motor"}) {
    for (const char* run : {"1", "2"}) {
      const auto& row = rows.at(std::string("03 ") + task + " " + run);
      EXPECT_EQ(row.at("status"), "high") << task << run;
      EXPECT_EQ(row.at("reasons").rfind("mean FD 0.3", 0), 0U) << row.at("reasons");
      EXPECT_NE(row.at("reasons").find(" mm > 0.25"), std::string::npos) << row.at("reasons");
    }
  }
  const auto& entangled = rows.at("02 faces 1");
  EXPECT_NE(entangled.at("status"), "ok");
  EXPECT_NE(entangled.at("reasons").find("House ~ trans_x"), std::string::npos)
      << entangled.at("reasons");
  const auto& skipped = rows.at("04 motor 2");
  EXPECT_EQ(skipped.at("status"), "skipped");
  EXPECT_NE(skipped.at("reasons").find("desc-confounds_timeseries.tsv"), std::string::npos)
      << skipped.at("reasons");
  // Each task's runs are checked against their own task's contrast, and only that.
  for (const auto& [run, row] : rows) {
    if (row.at("status") == "skipped") continue;
    const bool faces = row.at("task") == "faces";
    EXPECT_EQ(row.at("Face-House").empty(), !faces) << run;
    EXPECT_EQ(row.at("Left-Right").empty(), faces) << run;
  }
  EXPECT_EQ(rows.at("01 faces 1").at("status"), "ok") << rows.at("01 faces 1").at("reasons");
  EXPECT_EQ(rows.at("01 motor 1").at("status"), "ok") << rows.at("01 motor 1").at("reasons");

  EXPECT_EQ(result.out.rfind("16 runs: 10 ok, 5 warned, 0 failed, 1 skipped\n", 0), 0U)
      << result.out;
  EXPECT_NE(result.out.find("\n  high    sub-02_task-faces_run-1_design.sdm: House ~ trans_x "
                            "r = 0.80\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\n  sub 03: every run fails a motion rule (4 runs)\n"),
            std::string::npos)
      << result.out;
}

}  // namespace
}  // namespace duv
