// --export and convert through the tool, on a copy of the examples: every format read back by
// the packages' own readers, TSV designs taken back as primaries and checked, and bad input
// refused with nothing written.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "design/confound_selection.h"
#include "design/file_system.h"
#include "design/motion_options.h"
#include "design/sdm_reader.h"
#include "design/tsv_design.h"
#include "tests/cli/study_copy_test.h"
#include "workflow/merge_workflow.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string kTable = "examples/sub01_desc-confounds_timeseries.tsv";
const std::string kStem = "out/sub01_task_desc-confounds_timeseries";

class ExportTest : public testing::StudyCopyTest {
 protected:
  // The merge the tool runs for merge-all --primary sub01_task.sdm TABLE --confounds motion24
  // --spikes fd:0.5, as it holds the result before saving it.
  DesignMatrix mergedInProcess() {
    MergeRequest request;
    request.primary = file("examples/sub01_task.sdm");
    request.secondaries = {InputFile{file(kTable), &kConfoundTableFormat}};
    request.confounds.selection = {parseConfoundSelector("motion24")};
    request.spikes = SpikeOptions{parseSpikeCriterion("fd:0.5"), std::nullopt};
    auto outcome = mergeDesigns(
        std::move(request), realFileSystem(),
        [](const std::string&) -> std::optional<std::string> { return std::nullopt; },
        [](std::string_view, std::string_view) {});
    return std::move(outcome.results.front().matrix);
  }

  // The lines read_exports.py compares the files with.
  void writeExpected(const DesignMatrix& design, const std::string& path) {
    std::string text;
    const auto columns = designColumnsOf(design);
    std::vector<std::size_t> order = columns.task;
    order.insert(order.end(), columns.confounds.begin(), columns.confounds.end());
    if (columns.constant) order.push_back(*columns.constant);
    for (std::size_t i = 0; i < order.size(); ++i) {
      text += (i ? "\t" : "") + design.predictorNames[order[i]];
    }
    text += '\n';
    for (std::size_t i = 0; i < columns.confounds.size(); ++i) {
      text += (i ? "\t" : "") + design.predictorNames[columns.confounds[i]];
    }
    text += '\n';
    for (std::size_t t = 0; t < design.values.front().size(); ++t) {
      for (std::size_t i = 0; i < order.size(); ++i) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + 32, design.values[order[i]][t]).ptr;
        text += (i ? "\t" : "") + std::string(buffer, end);
      }
      text += '\n';
    }
    testing::writeText(file(path), text);
  }
};

TEST_F(ExportTest, EveryFormatReadsBackInItsPackagesReader) {
  const auto result =
      run({"merge-all", "--primary", "examples/sub01_task.sdm", kTable, "--confounds", "motion24",
           "--spikes", "fd:0.5", "--out-dir", "out", "--export", "tsv,spm,fsl,afni", "-q"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto merged = mergedInProcess();
  // The SDM file is the merge's as ever; the TSV holds the design's floats exactly.
  const auto plain = run({"merge-all", "--primary", "examples/sub01_task.sdm", kTable,
                          "--confounds", "motion24", "--spikes", "fd:0.5", "--out-dir", "plain"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(text(kStem + ".sdm"), text("plain/sub01_task_desc-confounds_timeseries.sdm"));
  const auto tsv = readTaskDesignFile(file(kStem + ".tsv"), {}, realFileSystem());
  EXPECT_EQ(tsv.predictorNames, merged.predictorNames);
  EXPECT_EQ(tsv.values, merged.values);

  // The squared rotations keep their variation in the TSV, unscaled.
  for (const char* name : {"rot_x_power2", "rot_y_power2", "rot_z_power2"}) {
    SCOPED_TRACE(name);
    const auto p = static_cast<std::size_t>(
        std::find(tsv.predictorNames.begin(), tsv.predictorNames.end(), name) -
        tsv.predictorNames.begin());
    const auto distinct = [](std::vector<float> v) {
      std::sort(v.begin(), v.end());
      return std::unique(v.begin(), v.end()) - v.begin();
    };
    EXPECT_GT(distinct(tsv.values[p]), 200);
  }

  writeExpected(merged, "expected.txt");
  const auto read =
      testing::runProcess({DUVENDAL_PYTHON3, testing::sourceDir() + "/tests/cli/read_exports.py",
                           file(kStem), file("expected.txt")});
  EXPECT_EQ(read.exitCode, 0) << "read_exports.py with " << DUVENDAL_PYTHON3 << ":\n"
                              << read.out << read.err;
}

// An exported TSV stands for its SDM file: as a primary it gives the same bytes, and its check
// the same findings, when the SDM file's six decimals hold the values exactly.
TEST_F(ExportTest, ATsvDesignStandsForItsSdmFile) {
  ASSERT_EQ(run({"convert", "examples/sub01_task.sdm", "examples/sub01_motion_run1.sdm", "--export",
                 "tsv", "--out-dir", "tsv"})
                .exitCode,
            0);
  EXPECT_TRUE(exists("tsv/sub01_task.json"));
  for (const auto& [primary, folder] :
       {std::pair{"examples/sub01_task.sdm", "a"}, std::pair{"tsv/sub01_task.tsv", "b"}}) {
    const auto merged = run({"merge-all", "--primary", primary, "examples/sub01_motion_run1.sdm",
                             "--out-dir", folder, "--export", "tsv"});
    ASSERT_EQ(merged.exitCode, 0) << merged.err;
  }
  EXPECT_EQ(text("a/sub01_task_motion_run1.sdm"), text("b/sub01_task_motion_run1.sdm"));
  EXPECT_EQ(text("a/sub01_task_motion_run1.json"), text("b/sub01_task_motion_run1.json"));

  // Z-transformed motion columns of a pipeline's table are confounds of a design, not the
  // design's own head motion, in the TSV as in the SDM file.
  ASSERT_EQ(run({"merge-all", "--primary", "examples/sub01_task.sdm", kTable, "--confounds",
                 "motion6", "--ztrans", "--out-dir", "z", "--export", "tsv"})
                .exitCode,
            0);
  for (const std::string stem :
       {"a/sub01_task_motion_run1", "z/sub01_task_desc-confounds_timeseries"}) {
    // The SDM file's six decimals show in the full digits of the JSON and TSV outputs of the
    // z-transformed design, not in its text.
    const bool exact = stem.starts_with("a/");
    for (const char* format : {"text", "json", "tsv"}) {
      if (!exact && std::string(format) != "text") continue;
      SCOPED_TRACE(stem + " " + format);
      const auto ofSdm = run({"check", stem + ".sdm", "--format", format});
      const auto ofTsv = run({"check", stem + ".tsv", "--format", format});
      EXPECT_EQ(ofSdm.exitCode, ofTsv.exitCode);
      auto expected = ofSdm.out;
      const auto sdmName = fs::path(stem + ".sdm").filename().string();
      const auto tsvName = fs::path(stem + ".tsv").filename().string();
      for (std::size_t at; (at = expected.find(sdmName)) != std::string::npos;) {
        expected.replace(at, sdmName.size(), tsvName);
      }
      EXPECT_EQ(ofTsv.out, expected);
    }
  }

  // Converted back: the SDM file of the TSV design is the one it came from.
  ASSERT_EQ(
      run({"convert", "tsv/sub01_motion_run1.tsv", "--export", "tsv", "--out-dir", "c"}).exitCode,
      0);
  EXPECT_EQ(text("c/sub01_motion_run1.tsv"), text("tsv/sub01_motion_run1.tsv"));
}

TEST_F(ExportTest, BadInputIsRefusedWithNothingWritten) {
  testing::writeText(file("plain.tsv"), "faces\tdrift\n" + std::string("1\t0.5\n0\t0.25\n"));
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string error;
  };
  const Case cases[] = {
      {{"merge-all", "--primary", "examples/sub01_task.sdm", "examples/sub01_drift.rtc", "--export",
        "tsv,csv", "--out-dir", "out"},
       64,
       "unknown export format \"csv\": the formats are tsv, spm, fsl and afni"},
      {{"convert", "plain.tsv", "--export", "tsv", "--out-dir", "out"},
       1,
       "Error: plain.tsv: a TSV design needs its task columns marked: a sidecar plain.json beside "
       "it, as --export tsv writes, or --task-columns NAME,...\n"},
      {{"merge-all", "--primary", "plain.tsv", "examples/sub01_drift.rtc", "--out-dir", "out"},
       1,
       "Error: plain.tsv: a TSV design needs its task columns marked"},
      {{"convert", "plain.tsv", "--task-columns", "faces", "--export", "fsl", "--out-dir", "out",
        "examples/missing.sdm"},
       1,
       "Error: Failed opening for reading: examples/missing.sdm\n"},
      {{"convert", "plain.tsv", "--task-columns", "faces", "--export", "tsv"}, 1, "Error: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments[1] + " " + c.arguments[2]);
    const auto result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    EXPECT_FALSE(exists("out"));
  }
  EXPECT_FALSE(exists("plain.json"));

  // A sidecar that no longer matches its TSV stops the merge before anything is saved.
  ASSERT_EQ(run({"convert", "plain.tsv", "--task-columns", "faces", "--export", "tsv", "--out-dir",
                 "marked"})
                .exitCode,
            0);
  testing::writeText(file("marked/plain.tsv"), "faces\tdrift\n1\t0.5\n");
  const auto result = run({"merge-all", "--primary", "marked/plain.tsv", "examples/sub01_drift.rtc",
                           "--out-dir", "out"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("marked/plain.json does not match marked/plain.tsv: it says 2 data "
                            "points, the file has 1 rows"),
            std::string::npos)
      << result.err;
  EXPECT_FALSE(exists("out"));
}

// A study's exports are outputs of its runs: recorded, checked for being up to date, and a
// changed --export does the runs again.
TEST_F(ExportTest, AStudysExportsAreOutputsOfItsRuns) {
  const auto study = [this](const std::string& exports) {
    return run({"study", "--primary",
                "examples/study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm",
                "--confounds-from",
                "examples/study/derivatives/sub-{sub}/func/"
                "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv",
                "--confounds", "motion6", "--only", "sub=01", "--out-dir", "out", "--export",
                exports});
  };
  const std::string run1 =
      "out/sub-01/func/sub-01_task-faces_run-1_design_desc-confounds_timeseries";
  ASSERT_EQ(study("tsv").exitCode, 0);
  const auto record =
      nlohmann::json::parse(text("out/sub-01/func/sub-01_task-faces_run-1_design.run.json"));
  const auto outputs = record.dump();
  for (const char* extension : {".sdm", ".tsv", ".json"}) {
    EXPECT_TRUE(exists(run1 + extension)) << extension;
    EXPECT_NE(outputs.find(fs::path(run1 + extension).filename().string()), std::string::npos)
        << extension;
  }
  EXPECT_NE(study("tsv").out.find("(2 up to date"), std::string::npos);
  fs::remove(file(run1 + ".json"));
  EXPECT_NE(study("tsv").out.find("(1 up to date"), std::string::npos);
  EXPECT_TRUE(exists(run1 + ".json"));
  EXPECT_EQ(study("tsv,fsl").out.find("up to date"), std::string::npos);
  EXPECT_TRUE(exists(run1 + "_fsl.txt"));
}

}  // namespace
}  // namespace duv
