#include "study/run_record_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_record_file.h"
#include "tests/study/study_records.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesOf(const std::vector<RunRecord>& runs) {
  std::vector<std::string> names;
  for (const auto& run : runs) names.push_back(run.name);
  return names;
}

void writeRecord(const fs::path& folder, const RunRecord& record) {
  fs::create_directories(folder);
  writeRunRecord(realFileSystem(), (folder / runRecordFileName(record.name)).string(), record);
}

TEST(RunRecordSearchTest, FindsEveryRecordBelowTheFolderInStudyOrder) {
  testing::TempDir out;
  // Written out of order, at several depths; subject 10 after subject 2.
  for (const auto& [subject, run] :
       std::vector<std::pair<std::string, int>>{{"10", 1}, {"2", 2}, {"2", 1}, {"01", 3}}) {
    writeRecord(out.path() / ("sub-" + subject) / ("run-" + std::to_string(run)),
                testing::completeRun(subject, run));
  }
  writeRecord(out.path() / "sub-3" / "run-1", testing::failedRun("3", 1, "stopped"));
  // Not records: other files, a record name alone, a link to a folder (not followed).
  testing::writeText(out.file("group.tsv"), "run\n");
  testing::writeText(out.file("notes.run.json.txt"), "{}");
  testing::writeText(out.file(".run.json"), "{}");
  fs::create_directory_symlink(out.path() / "sub-10", out.path() / "link-to-sub-10");
  // Damaged records are reported, by path, and do not stop the search.
  testing::writeText(out.file("sub-2/broken.run.json"), "{\"schema\": ");
  testing::writeText(out.file("sub-2/run-1/foreign.run.json"), "{\"schema\": \"other/1\"}");

  const auto found = findRunRecords(out.path().string(), realFileSystem());
  EXPECT_EQ(namesOf(found.records),
            (std::vector<std::string>{"sub-01_run-3_task.sdm", "sub-2_run-1_task.sdm",
                                      "sub-2_run-2_task.sdm", "sub-3_run-1_task.sdm",
                                      "sub-10_run-1_task.sdm"}));
  EXPECT_EQ(found.records[3].status, CheckStatus::failed);
  const auto root = out.path().generic_string();
  EXPECT_EQ(found.errors,
            (std::vector<std::string>{
                root + "/sub-2/broken.run.json, line 1: ends early",
                root + "/sub-2/run-1/foreign.run.json: a record of schema \"other/1\", not "
                       "\"duvendal-run/1\""}));
}

TEST(RunRecordSearchTest, AFolderThatIsNotThereIsAnError) {
  testing::TempDir out;
  testing::writeText(out.file("file"), "");
  for (const auto& folder : {out.file("missing"), out.file("file")}) {
    testing::expectError<std::runtime_error>([&] { findRunRecords(folder, realFileSystem()); },
                                             folder + ": not a folder");
  }
  EXPECT_TRUE(findRunRecords(out.path().string(), realFileSystem()).records.empty());
}

TEST(RunRecordSearchTest, RunsSortByTheirFieldsThenNamesDigitsAsNumbers) {
  struct Case {
    std::vector<std::string> first;  // field values, then the name
    std::vector<std::string> second;
    bool before;
  };
  const Case cases[] = {
      {{"2", "a"}, {"10", "a"}, true},
      {{"10", "a"}, {"2", "a"}, false},
      {{"02", "a"}, {"2", "a"}, false},  // more leading zeros after
      {{"2", "a"}, {"02", "a"}, true},
      {{"01", "z"}, {"02", "a"}, true},  // fields before names
      {{"s1", "run-9.sdm"}, {"s1", "run-10.sdm"}, true},
      {{"a", "x"}, {"a", "x"}, false},
      {{"a", "x"}, {"a1", "x"}, true},
      {{"b", "x"}, {"a1", "x"}, false},
      {{"x9y", "n"}, {"x10", "n"}, true},
      {{"", "n"}, {"0", "n"}, true},
      {{"999999999999999999999", "n"}, {"1000000000000000000000", "n"}, true},
  };
  for (const auto& c : cases) {
    const auto make = [](const std::vector<std::string>& keys) {
      RunRecord run;
      run.fields = {{"sub", keys[0]}};
      run.name = keys[1];
      return run;
    };
    std::vector<RunRecord> runs{make(c.second), make(c.first)};
    sortRuns(runs);
    EXPECT_EQ(runs[0].fields[0].second + "/" + runs[0].name,
              (c.before ? c.first : c.second)[0] + "/" + (c.before ? c.first : c.second)[1])
        << c.first[0] << " " << c.first[1] << " against " << c.second[0] << " " << c.second[1];
  }
}

}  // namespace
}  // namespace duv
