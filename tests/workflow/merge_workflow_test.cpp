// The merges through their typed interface, on files in memory: the names the results are
// offered and saved under, where a merge stops, and what it logs.

#include "workflow/merge_workflow.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "design/design_format.h"
#include "design/sdm_reader.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"
#include "workflow/result_names.h"

namespace duv {
namespace {

using testing::MemoryFileSystem;
using Lines = std::vector<std::string>;

// An SDM file of `points` data points: one main predictor and one confound.
std::string sdmText(int points) {
  std::string text = "NrOfPredictors: 2\nNrOfDataPoints: " + std::to_string(points) +
                     "\nIncludesConstant: 0\nFirstConfoundPredictor: 2\n\n1 2 3   4 5 6\n"
                     "\"Task\" \"Drift\"\n";
  for (int t = 0; t < points; ++t) {
    text += "  " + std::to_string(t % 2) + ".000000   0." + std::to_string(t) + "00000\n";
  }
  return text;
}

const std::string kRtc = "NrOfRTCs: 1\nNrOfDataPoints: 4\n\n0.5\n-0.5\n0.25\n0\n";
const std::string kTable = "csf\ttrans_x_derivative1\n1\tn/a\n2\t0.5\n3\t-0.5\n4\t0.25\n";

// A secondary matrix that a caller read itself.
DesignMatrix matrixInMemory(const std::string& fileName) {
  auto matrix = readSdm(sdmText(4), fileName);
  matrix.predictorNames = {"Cue", "Pulse"};
  return matrix;
}

MemoryFileSystem study() {
  MemoryFileSystem files;
  files.files = {{"study/sub01_task.sdm", sdmText(4)},
                 {"study/sub01_motion_run1.sdm", sdmText(4)},
                 {"study/sub01_motion_run2.sdm", sdmText(4)},
                 {"study/short.sdm", sdmText(3)},
                 {"other/physio.rtc", kRtc},
                 {"conf/sub01_desc-confounds_timeseries.tsv", kTable}};
  return files;
}

ConfoundOptions tableColumns() {
  ConfoundOptions options;
  options.selection = {parseConfoundSelector("csf"), parseConfoundSelector("trans_x_derivative1")};
  return options;
}

// The files as saved: every log message, and each destination asked.
struct Run {
  MergeOutcome outcome;
  Lines asked;
  Lines logged;
};

Run runMerge(MergeRequest request, MemoryFileSystem& files,
             const std::function<std::optional<std::string>(const std::string&)>& answer) {
  Run run;
  run.outcome = mergeDesigns(
      std::move(request), files,
      [&](const std::string& suggested) {
        run.asked.push_back(suggested);
        return answer(suggested);
      },
      [&](std::string_view literal, std::string_view argument) {
        run.logged.push_back(std::string(literal) + std::string(argument));
      });
  return run;
}

TEST(MergeWorkflowTest, ResultsAreOfferedAndSavedUnderTheNamesPlannedForThem) {
  struct Case {
    const char* description;
    std::optional<std::string> primary;
    std::vector<SecondaryInput> secondaries;
    std::optional<std::string> folder;
    Lines suggested;
  };
  const Case cases[] = {
      {"every kind of input, merged with the primary, into a folder",
       "study/sub01_task.sdm",
       {InputFile{"study/sub01_motion_run1.sdm", &kSdmFormat},
        InputFile{"other/physio.rtc", &kRtcFormat},
        InputFile{"conf/sub01_desc-confounds_timeseries.tsv", &kConfoundTableFormat},
        matrixInMemory("memory/sub01_extra.sdm")},
       "out",
       {"study/sub01_task_motion_run1.sdm", "study/sub01_task_physio.sdm",
        "study/sub01_task_desc-confounds_timeseries.sdm", "study/sub01_task_extra.sdm"}},
      {"secondaries chained into one, beside the first",
       std::nullopt,
       {InputFile{"study/sub01_motion_run1.sdm", &kSdmFormat},
        InputFile{"study/sub01_motion_run2.sdm", &kSdmFormat},
        InputFile{"other/physio.rtc", &kRtcFormat}},
       std::nullopt,
       {"study/sub01_motion_run1_run2_physio.sdm"}},
      {"a single secondary keeps its own name",
       std::nullopt,
       {InputFile{"other/physio.rtc", &kRtcFormat}},
       "out/",
       {"other/physio.sdm"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    auto files = study();
    MergeRequest request;
    request.primary = c.primary;
    request.secondaries = c.secondaries;
    request.confounds = tableColumns();
    request.reports = true;
    const auto planned = resultFiles(request, c.folder);
    EXPECT_EQ(suggestedResultNames(request), c.suggested);

    const auto run = runMerge(request, files, [&](const std::string& suggested) {
      return pathInFolder(suggested, c.folder);
    });
    ASSERT_FALSE(run.outcome.mismatch);
    EXPECT_EQ(run.asked, c.suggested);
    ASSERT_EQ(run.outcome.results.size(), planned.size());
    for (std::size_t i = 0; i < planned.size(); ++i) {
      const auto& result = run.outcome.results[i];
      EXPECT_EQ(result.savedAs, planned[i].designs.front());
      EXPECT_EQ(result.matrix.fileName, planned[i].designs.front());
      EXPECT_EQ(readSdm(*files.contents(planned[i].designs.front()), "saved").nrOfPredictors.value,
                result.matrix.nrOfPredictors.value);
      EXPECT_TRUE(files.contents(*planned[i].report)) << *planned[i].report;
      EXPECT_TRUE(files.contents(*planned[i].table)) << *planned[i].table;
    }
  }
}

// A mismatch is found before anything is merged or saved; among the secondaries, before the
// primary is even read (here it does not exist).
TEST(MergeWorkflowTest, StopsAtTheFirstDataPointMismatchNamingBothMatrices) {
  struct Case {
    const char* description;
    std::optional<std::string> primary;
    Lines secondaries;
    std::string message;
    // The inputs as the user named them, and their counts.
    std::string differingInput;
    std::int32_t differingCount;
    std::string referenceInput;
    std::int32_t referenceCount;
  };
  const Case cases[] = {
      {"a secondary",
       "study/missing.sdm",
       {"study/sub01_motion_run1.sdm", "study/sub01_motion_run2.sdm", "study/short.sdm"},
       "short.sdm does not have the same number of data points as sub01_motion_run1.sdm",
       "study/short.sdm",
       3,
       "study/sub01_motion_run1.sdm",
       4},
      {"the primary, named first",
       "study/short.sdm",
       {"other/physio.rtc"},
       "short.sdm does not have the same number of data points as physio.sdm",
       "study/short.sdm",
       3,
       "other/physio.rtc",
       4},
      {"a time-course file, by its converted name",
       std::nullopt,
       {"study/short.sdm", "other/physio.rtc"},
       "physio.sdm does not have the same number of data points as short.sdm",
       "other/physio.rtc",
       4,
       "study/short.sdm",
       3},
      {"a confound table, by its own path",
       std::nullopt,
       {"study/short.sdm", "conf/sub01_desc-confounds_timeseries.tsv"},
       "sub01_desc-confounds_timeseries.sdm does not have the same number of data points as "
       "short.sdm",
       "conf/sub01_desc-confounds_timeseries.tsv",
       4,
       "study/short.sdm",
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    auto files = study();
    MergeRequest request;
    request.primary = c.primary;
    for (const auto& path : c.secondaries) {
      request.secondaries.emplace_back(inputFileAt(path, "the tool", files));
    }
    request.confounds = tableColumns();
    const auto run = runMerge(request, files, [](const std::string& s) { return s; });
    ASSERT_TRUE(run.outcome.mismatch);
    EXPECT_EQ(run.outcome.mismatch->message(), c.message);
    EXPECT_EQ(run.outcome.mismatch->differingInput, c.differingInput);
    EXPECT_EQ(run.outcome.mismatch->differingCount, c.differingCount);
    EXPECT_EQ(run.outcome.mismatch->referenceInput, c.referenceInput);
    EXPECT_EQ(run.outcome.mismatch->referenceCount, c.referenceCount);
    EXPECT_TRUE(run.outcome.results.empty());
    EXPECT_TRUE(run.asked.empty());
    EXPECT_EQ(files.files.size(), study().files.size());
  }
}

TEST(MergeWorkflowTest, ASkippedResultIsNeitherSavedNorReportedAndTheNextOneStillIs) {
  auto files = study();
  MergeRequest request;
  request.primary = "study/sub01_task.sdm";
  request.secondaries = {
      InputFile{"study/sub01_motion_run1.sdm", &kSdmFormat},
      InputFile{"conf/sub01_desc-confounds_timeseries.tsv", &kConfoundTableFormat}};
  request.confounds = tableColumns();
  request.reports = true;
  const auto run = runMerge(request, files, [](const std::string& suggested) {
    return suggested.find("motion") != std::string::npos ? std::nullopt
                                                         : std::optional("out/b.sdm");
  });
  ASSERT_EQ(run.outcome.results.size(), 2U);
  EXPECT_FALSE(run.outcome.results[0].savedAs);
  EXPECT_EQ(run.outcome.results[0].matrix.fileName, "study/sub01_task_motion_run1.sdm");
  EXPECT_EQ(run.outcome.results[1].savedAs, "out/b.sdm");
  EXPECT_FALSE(files.contents("study/sub01_task_motion_run1.sdm"));
  EXPECT_FALSE(files.contents("study/sub01_task_motion_run1.txt"));
  EXPECT_TRUE(files.contents("out/b.txt"));
  EXPECT_TRUE(files.contents("out/b.csv"));
  // The table's leading n/a in a difference column is told while it is read, before any save.
  EXPECT_EQ(run.logged,
            (Lines{">  Set leading n/a to 0 in: trans_x_derivative1", ">  Saved out/b.sdm"}));
}

// The tool's choices: z-transformation leaves every one-volume column 0/1, and confounds that six
// decimals would lose are scaled, logged; without them (the plug-in) neither happens.
TEST(MergeWorkflowTest, TheToolKeepsIndicatorsAndDecimalsThePlugInDoesNot) {
  const std::string table =
      "csf\trot_x_power2\tnon_steady_state_outlier00\tmotion_outlier00\n"
      "1\t0.0000001\t1\t0\n"
      "3\t0.00000025\t0\t0\n"
      "2\t0.00000012\t0\t1\n"
      "5\t0.00000033\t0\t0\n";
  struct Case {
    const char* description;
    bool zTransform;
    bool tool;
    Lines logged;
    std::vector<std::vector<float>> indicators;  // of the saved result, as read back
  };
  const Case cases[] = {
      // Z-transformation only centres a column of a deviation below 0.0001.
      {"the tool, z-transforming",
       true,
       true,
       {">  Scaled rot_x_power2 by 1e2: six decimals would flatten it to a constant; a "
        "confound's scale changes no fit",
        ">  Saved out/r.sdm"},
       {{1, 0, 0, 0}, {0, 0, 1, 0}}},
      {"the tool, not z-transforming",
       false,
       true,
       {">  Scaled rot_x_power2 by 1e2: six decimals would flatten it to a constant; a "
        "confound's scale changes no fit",
        ">  Saved out/r.sdm"},
       {{1, 0, 0, 0}, {0, 0, 1, 0}}},
      {"the plug-in, z-transforming",
       true,
       false,
       {">  Saved out/r.sdm"},
       {{1.5F, -0.5F, -0.5F, -0.5F}, {-0.5F, -0.5F, 1.5F, -0.5F}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    MemoryFileSystem files;
    files.files = {{"conf/t.tsv", table}};
    MergeRequest request;
    request.secondaries = {InputFile{"conf/t.tsv", &kConfoundTableFormat}};
    request.confounds.selection = {parseConfoundSelector("csf"),
                                   parseConfoundSelector("rot_x_power2"),
                                   parseConfoundSelector("outliers")};
    request.zTransform = c.zTransform;
    request.keepIndicators = c.tool;
    request.keepDecimals = c.tool;
    const auto run = runMerge(request, files, [](const std::string&) { return "out/r.sdm"; });
    EXPECT_EQ(run.logged, c.logged);
    const auto saved = readSdm(*files.contents("out/r.sdm"), "out/r.sdm");
    ASSERT_EQ(saved.predictorNames, (Lines{"csf", "rot_x_power2", "non_steady_state_outlier00",
                                           "motion_outlier00", "Constant"}));
    EXPECT_EQ((std::vector<std::vector<float>>{saved.values[2], saved.values[3]}), c.indicators);
    // Whatever the scale, the tool's squares are no constant; the plug-in's lose their values.
    EXPECT_EQ(saved.values[1][0] != saved.values[1][1], c.tool);
  }
}

// A written format of the test's own: the predictor names, one a line.
constexpr std::string_view kNameListExtensions[] = {"names"};

void writeNameList(const DesignMatrix& design, std::ostream& out) {
  for (const auto& name : design.predictorNames) out << name << '\n';
}

const DesignFormat kNameList{
    .name = "name list", .extensions = kNameListExtensions, .write = writeNameList};

TEST(MergeWorkflowTest, EveryResultIsSavedInEachFormatAskedUnderTheNamesPlanned) {
  auto files = study();
  MergeRequest request;
  request.primary = "study/sub01_task.sdm";
  request.secondaries = {InputFile{"study/sub01_motion_run1.sdm", &kSdmFormat},
                         InputFile{"other/physio.rtc", &kRtcFormat}};
  request.formats = {&kSdmFormat, &kNameList};
  request.reports = true;
  const auto planned = resultFiles(request, "out");
  ASSERT_EQ(planned.size(), 2U);
  EXPECT_EQ(planned[1].designs,
            (Lines{"out/sub01_task_physio.sdm", "out/sub01_task_physio.names"}));
  EXPECT_EQ(planned[1].report, "out/sub01_task_physio.txt");
  EXPECT_EQ(planned[1].table, "out/sub01_task_physio.csv");

  const auto run = runMerge(
      request, files, [](const std::string& suggested) { return pathInFolder(suggested, "out"); });
  Lines saved;
  for (const auto& result : planned) {
    for (const auto& design : result.designs) {
      EXPECT_TRUE(files.contents(design)) << design;
      saved.push_back(">  Saved " + design);
    }
    EXPECT_TRUE(files.contents(*result.report)) << *result.report;
  }
  EXPECT_EQ(run.logged, saved);
  EXPECT_EQ(run.outcome.results[1].savedAs, "out/sub01_task_physio.sdm");
  EXPECT_EQ(files.contents("out/sub01_task_physio.names"), "Task\nDrift\nphysio\nConstant\n");
  // Without reports, only the designs are planned.
  request.reports = false;
  EXPECT_FALSE(resultFiles(request, std::nullopt)[0].report);
}

TEST(MergeWorkflowTest, ARequestOfNoWrittenFormatFailsBeforeAnythingIsRead) {
  const DesignFormat readOnly{.name = "read-only", .extensions = kNameListExtensions};
  const std::pair<std::vector<const DesignFormat*>, std::string> cases[] = {
      {{}, "a merge asks for no format to save in"},
      {{&kSdmFormat, &readOnly}, "a merge asks for read-only files, which are not written"},
  };
  for (const auto& [formats, message] : cases) {
    SCOPED_TRACE(message);
    MemoryFileSystem files;  // nothing to read: reading would be another error
    MergeRequest request;
    request.secondaries = {InputFile{"missing.sdm", &kSdmFormat}};
    request.formats = formats;
    testing::expectError<std::invalid_argument>(
        [&] { runMerge(request, files, [](const std::string& s) { return s; }); }, message);
  }
}

TEST(MergeWorkflowTest, WithoutAnySecondaryThereIsNothingToMerge) {
  auto files = study();
  MergeRequest request;
  request.primary = "study/sub01_task.sdm";
  testing::expectError<std::runtime_error>(
      [&] { runMerge(request, files, [](const std::string& s) { return s; }); },
      "No secondary SDMs available");
}

}  // namespace
}  // namespace duv
