// The check workflow on files in memory: where the head motion comes from, the spike columns,
// and how a design that cannot be read or checked ends; the page of a checked design.

#include "workflow/check_workflow.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "check/check_html.h"
#include "design/sdm_reader.h"
#include "tests/support/expect_error.h"
#include "tests/support/memory_file_system.h"
#include "workflow/workflow_texts.h"

namespace duv {
namespace {

using testing::MemoryFileSystem;
using Lines = std::vector<std::string>;

constexpr int kPoints = 8;

const LogSink kNoLog = [](std::string_view, std::string_view) {};

// A task design of kPoints data points: two main predictors and a confound.
std::string taskSdm() {
  std::string text = "NrOfPredictors: 3\nNrOfDataPoints: " + std::to_string(kPoints) +
                     "\nIncludesConstant: 0\nFirstConfoundPredictor: 3\n\n1 2 3   4 5 6   7 8 9\n"
                     "\"Task\" \"Cue\" \"Drift\"\n";
  // Orthogonal columns: nothing to warn about.
  const char* rows[kPoints] = {"1 1 1", "0 1 1", "1 0 1", "0 0 1",
                               "1 1 0", "0 1 0", "1 0 0", "0 0 0"};
  for (const char* row : rows) text += std::string(row) + "\n";
  return text;
}

// Head motion of `volumes` volumes (.par: three rotations, then three translations): still,
// but for a 2 mm step in x at the fifth volume and back at the sixth.
std::string parText(int volumes) {
  std::string text;
  for (int t = 0; t < volumes; ++t) text += t == 4 ? "0 0 0 2 0 0\n" : "0 0 0 0 0 0\n";
  return text;
}

MemoryFileSystem runFiles() {
  MemoryFileSystem files;
  files.files = {{"task.sdm", taskSdm()},
                 {"run1.par", parText(kPoints)},
                 {"short.par", parText(kPoints - 1)},
                 {"drift.rtc", "NrOfRTCs: 1\nNrOfDataPoints: 8\n\n1\n2\n3\n4\n5\n6\n7\n8\n"},
                 {"plain.tsv", "csf\n1\n2\n3\n4\n5\n6\n7\n8\n"}};
  return files;
}

struct Case {
  const char* name;
  std::string design;  // a file, or "memory:" for the task design already read
  MotionSource source;
  Lines motionFiles;
  SpikeColumns spikes;
  Lines contrasts;  // expressions, each named "c<i>"
  CheckStatus status;
  std::string error;       // the readError, when unreadable or failed
  std::string motionPath;  // empty: no head motion
  std::size_t predictors;  // of the design as checked (when read)
};

CheckRequest requestOf(const Case& c, MemoryFileSystem& files) {
  CheckRequest request;
  if (c.design == "memory:") {
    request.design = readSdm(files.files.at("task.sdm"), "results/task.sdm");
  } else {
    request.design = DesignFile{c.design, "the tool"};
  }
  request.motionSource = c.source;
  request.motionFiles = c.motionFiles;
  request.spikes = c.spikes;
  for (std::size_t i = 0; i < c.contrasts.size(); ++i) {
    request.contrasts.push_back(parseContrast("c" + std::to_string(i), c.contrasts[i]));
  }
  return request;
}

TEST(CheckWorkflowTest, ChecksADesignWithTheHeadMotionItIsGiven) {
  using enum MotionSource;
  using enum CheckStatus;
  // clang-format off
  const std::vector<Case> cases = {
      {"no motion", "task.sdm", none, {}, SpikeColumns::none, {"Task - Cue"}, ok, "", "", 3},
      {"a task design holds no motion of its own", "task.sdm", designFile, {},
       SpikeColumns::none, {}, ok, "", "", 3},
      // The 2 mm step: mean FD 0.57 mm, 25 % of the volumes above 0.2 mm (the stringent rule).
      {"motion file", "task.sdm", motionFile, {"run1.par"}, SpikeColumns::none, {}, high, "",
       "run1.par", 3},
      // Its rotations are still: all-zero columns.
      {"motion in the design file", "run1.par", designFile, {}, SpikeColumns::none, {}, error,
       "", "run1.par", 6},
      {"spikes added", "task.sdm", motionFile, {"run1.par"}, SpikeColumns::add, {}, high, "",
       "run1.par", 5},
      {"spikes a merge added", "memory:", firstHolding, {"drift.rtc", "run1.par"},
       SpikeColumns::alreadyAdded, {}, high, "", "run1.par", 3},
      {"first input holding motion", "memory:", firstHolding,
       {"drift.rtc", "task.sdm", "run1.par"}, SpikeColumns::none, {}, high, "", "run1.par", 3},
      {"no input holds motion", "memory:", firstHolding, {"drift.rtc", "task.sdm"},
       SpikeColumns::none, {}, ok, "", "", 3},
      {"a matrix read has no file of its own", "memory:", designFile, {}, SpikeColumns::none,
       {}, ok, "", "", 3},
      {"a confound table must hold motion", "memory:", firstHolding, {"plain.tsv", "run1.par"},
       SpikeColumns::none, {}, unreadable,
       "plain.tsv: no motion parameters: the columns trans_x, trans_y, trans_z, rot_x, rot_y, "
       "rot_z are missing, and so is framewise_displacement", "", 0},
      {"a contrast naming a missing predictor", "task.sdm", motionFile, {"run1.par"},
       SpikeColumns::none, {"Task - Nothing"}, failed,
       "contrast \"c0\" names \"Nothing\", which the design does not have", "", 3},
      {"unreadable file", "missing.sdm", designFile, {}, SpikeColumns::none, {}, unreadable,
       "Failed opening for reading: missing.sdm", "", 0},
      {"a file of another kind", "notes.csv", none, {}, SpikeColumns::none, {}, unreadable,
       "notes.csv is not a file the tool reads: .sdm, .rtc, .tsv, .txt, .par or .1D", "", 0},
      {"motion of another length", "task.sdm", motionFile, {"short.par"}, SpikeColumns::add, {},
       unreadable, "short.par: 7 volumes of head motion for the 8 data points of task.sdm", "", 3},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto files = runFiles();
    Lines logged;
    const auto outcome = checkRequestedDesign(
        requestOf(c, files), files, [&logged](std::string_view literal, std::string_view argument) {
          logged.push_back(std::string(literal) + std::string(argument));
        });
    const auto& file = outcome.file;
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(file.readError.value_or(""), c.error);
    EXPECT_EQ(file.motion ? file.motion->path : "", c.motionPath);
    const bool spiked = c.spikes == SpikeColumns::add && c.status != CheckStatus::unreadable;
    EXPECT_EQ(logged, spiked ? Lines{std::string(texts::kFlaggedLog) + "2 of 8 volumes: run1.par"}
                             : Lines{});
    EXPECT_EQ(file.path, c.design == "memory:" ? "results/task.sdm" : c.design);
    if (c.status == CheckStatus::unreadable) continue;
    EXPECT_EQ(file.design.values.size(), c.predictors);
    EXPECT_EQ(file.check.predictors(), c.predictors);
    if (file.motion) {
      EXPECT_EQ(file.motion->spikesAdded, c.spikes != SpikeColumns::none);
    }
    EXPECT_EQ(file.contrastDefinitions.size(), c.contrasts.size());
    EXPECT_EQ(file.contrasts.size(), c.status == CheckStatus::failed ? 0 : c.contrasts.size());
  }
}

// The design alone is ok; its head motion and its contrasts count toward its status.
TEST(CheckWorkflowTest, StatusCountsTheMotionAndTheContrasts) {
  auto files = runFiles();
  CheckRequest request;
  request.design = DesignFile{"task.sdm", "the tool"};
  request.contrasts = {parseContrast("t", "Task")};
  request.contrastThresholds.mediumVif = 1.0;  // any contrast's VIF
  EXPECT_EQ(checkRequestedDesign(request, files, kNoLog).status, CheckStatus::medium);
  request.motionSource = MotionSource::motionFile;
  request.motionFiles = {"run1.par"};
  request.motion.maxFlaggedShare = 0.2;  // 2 of 8 volumes flagged
  EXPECT_EQ(checkRequestedDesign(request, files, kNoLog).status, CheckStatus::high);
}

TEST(CheckWorkflowTest, ThePageIsThatOfTheCheckedDesign) {
  auto files = runFiles();
  CheckRequest request;
  request.design = DesignFile{"task.sdm", "the tool"};
  request.motionSource = MotionSource::motionFile;
  request.motionFiles = {"run1.par"};
  request.contrasts = {parseContrast("t", "Task")};
  const auto written = checkAndWritePage(request, "task.html", files, kNoLog);

  auto run = checkRunFor(request);
  run.files.push_back(checkRequestedDesign(request, files, kNoLog).file);
  std::ostringstream expected;
  writeCheckHtml(run, expected);
  EXPECT_TRUE(files.contents("task.html") == expected.str());
  EXPECT_EQ(written.contrasts.size(), 1U);
}

TEST(CheckWorkflowTest, ADesignThatCannotBeCheckedWritesNoPage) {
  auto files = runFiles();
  CheckRequest request;
  request.design = DesignFile{"task.sdm", "the tool"};
  request.contrasts = {parseContrast("t", "Nothing")};
  testing::expectError<std::runtime_error>(
      [&] { checkAndWritePage(request, "task.html", files, kNoLog); },
      "contrast \"t\" names \"Nothing\", which the design does not have");
  request.contrasts.clear();
  request.design = DesignFile{"missing.sdm", "the tool"};
  testing::expectError<std::runtime_error>(
      [&] { checkAndWritePage(request, "task.html", files, kNoLog); },
      "Failed opening for reading: missing.sdm");
  EXPECT_FALSE(files.contents("task.html"));
}

}  // namespace
}  // namespace duv
