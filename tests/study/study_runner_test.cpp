#include "study/study_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/confound_selection.h"
#include "design/errors.h"
#include "study/run_record_file.h"
#include "study/run_record_search.h"
#include "study/study_pairing.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string kPrimary = "study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm";
const std::string kTables =
    "study/derivatives/sub-{sub}/func/"
    "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv";

// Subjects 01 and 02 of the example study (four runs) in memory at /lab/examples/study, the
// current folder /lab.
class StudyInMemoryTest : public ::testing::Test {
 protected:
  StudyInMemoryTest() {
    files_.currentFolder = "/lab";
    const fs::path study = fs::path(testing::sourceDir()) / "examples" / "study";
    for (const auto& entry : fs::recursive_directory_iterator(study)) {
      const auto relative = fs::relative(entry.path(), study).generic_string();
      if (!entry.is_regular_file() || relative.find("sub-03") != std::string::npos ||
          relative.find("sub-04") != std::string::npos) {
        continue;
      }
      files_.files["/lab/examples/study/" + relative] = testing::readText(entry.path().string());
    }
    options_.confounds.selection = {parseConfoundSelector("motion6"),
                                    parseConfoundSelector("wm_csf")};
    options_.reports = true;
  }

  // The study of the patterns below `root`, each behind `prefix`, into `outDir`.
  StudyResult study(const std::string& root, const std::string& prefix, const std::string& outDir,
                    bool force = false) {
    const auto pairing = pairStudyFiles(root, prefix + kPrimary, {prefix + kTables}, {}, files_);
    RunnerSettings settings;
    settings.studyFolder = outDir;
    settings.toolVersion = "1.0.0-test";
    settings.force = force;
    return runStudy(pairing.runs, options_, settings, files_, nullptr);
  }

  testing::MemoryFileSystem files_;
  RunOptions options_;
};

TEST_F(StudyInMemoryTest, EveryRunWritesItsOutputsAndRecordThroughTheFileSystem) {
  const auto result = study("", "examples/", "out");
  ASSERT_EQ(result.records.size(), 4u);
  EXPECT_EQ(result.skipped, 0u);
  for (const auto& record : result.records) {
    SCOPED_TRACE(record.name);
    EXPECT_NE(record.status, CheckStatus::failed) << record.firstError.value_or("");
    ASSERT_EQ(record.outputs.size(), 4u);  // the result, its report and table, its check page
    for (const auto& output : record.outputs) {
      EXPECT_TRUE(files_.contents("out/" + output)) << output;
    }
    // Inputs by their canonical paths, with the sizes and times the file system tells.
    ASSERT_EQ(record.inputs.size(), 2u);
    EXPECT_EQ(record.inputs[0].path, "/lab/" + record.primary);
    for (const auto& input : record.inputs) {
      EXPECT_EQ(input.size, files_.files.at(input.path).size());
      EXPECT_EQ(input.modifiedNs, testing::MemoryFileSystem::kPutNs);
    }
    const auto folder = record.outputs.front().substr(0, record.outputs.front().rfind('/') + 1);
    const auto saved = readRunRecord(files_, "out/" + folder + runRecordFileName(record.name));
    EXPECT_EQ(saved.inputs, record.inputs);
  }
  const auto found = findRunRecords("out", files_);
  EXPECT_TRUE(found.errors.empty());
  ASSERT_EQ(found.records.size(), 4u);
  EXPECT_EQ(found.records[3].name, result.records[3].name);
}

TEST_F(StudyInMemoryTest, AFailingWriteFailsItsRunAloneAndItsRecordTellsIt) {
  const auto first = study("", "examples/", "out");
  const auto& broken = first.records[1];
  const std::string target = "out/" + broken.outputs.front();
  files_.uncommittable.insert(files_.keyOf(target));

  const auto again = study("", "examples/", "out", true);
  ASSERT_EQ(again.records.size(), 4u);
  for (std::size_t r = 0; r < again.records.size(); ++r) {
    SCOPED_TRACE(again.records[r].name);
    if (r == 1) {
      EXPECT_EQ(again.records[r].status, CheckStatus::failed);
      EXPECT_EQ(again.records[r].firstError, "Failed writing file: " + target);
    } else {
      EXPECT_EQ(again.records[r].status, first.records[r].status);
    }
  }
  // The failed run's saved record says so; the next study does that run alone again.
  const auto records = findRunRecords("out", files_).records;
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[1].status, CheckStatus::failed);
  files_.uncommittable.clear();
  const auto third = study("", "examples/", "out");
  EXPECT_EQ(third.skipped, 3u);
  EXPECT_EQ(third.records[1].status, first.records[1].status);
}

TEST_F(StudyInMemoryTest, ARecordThatCannotBeSavedEndsTheStudy) {
  const auto first = study("", "examples/", "out");
  const auto& run = first.records[0];
  const auto folder = run.outputs.front().substr(0, run.outputs.front().rfind('/') + 1);
  const auto recordPath = "out/" + folder + runRecordFileName(run.name);
  files_.uncommittable.insert(files_.keyOf(recordPath));
  testing::expectError<IOError>([&] { study("", "examples/", "out", true); },
                                "Failed writing file: " + recordPath);
}

// The same study asked from another folder, its paths spelled another way: every input is the
// same file, so nothing is done again.
TEST_F(StudyInMemoryTest, ARunFromAnotherFolderWithEquivalentPathsRedoesNothing) {
  const auto first = study("", "examples/", "out");
  files_.currentFolder = "/lab/examples";
  for (const auto& [root, outDir] : {std::pair<std::string, std::string>{"", "../out"},
                                     {".", "../out/."},
                                     {"/lab/examples/study/..", "/lab/out"}}) {
    SCOPED_TRACE(root + " " + outDir);
    const auto again = study(root, "", outDir);
    EXPECT_EQ(again.skipped, 4u);
    ASSERT_EQ(again.records.size(), 4u);
    EXPECT_EQ(again.records[2].inputs, first.records[2].inputs);
  }
}

TEST_F(StudyInMemoryTest, AFolderThatCannotBeListedStopsThePairing) {
  files_.unlistable.insert("/lab/examples/study/sub-02/func");
  testing::expectError<FolderListingError>(
      [&] { study("", "examples/", "out"); },
      "Cannot list folder: examples/study/sub-02/func (Permission denied)");
}

}  // namespace
}  // namespace duv
