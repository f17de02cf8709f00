#include "numerics/motion_summary.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "design/motion_options.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

using testing::expectError;

struct Expected {
  double mean;
  double max;
  std::vector<std::size_t> counts;  // above each threshold
  std::vector<std::size_t> flagged;
  bool tooMany;
};

TEST(MotionSummaryTest, CountsVolumesStrictlyAboveEachThreshold) {
  struct Case {
    const char* what;
    std::vector<double> displacement;
    MotionSummaryOptions options;
    Expected expected;
  };
  const Case cases[] = {
      {"ties at both thresholds are not above them",
       {0, 0.2, 0.5, 0.2000001, 0.6},
       {},
       {(0.2 + 0.5 + 0.2000001 + 0.6) / 4, 0.6, {3, 1}, {4}, false}},
      {"a still head", {0, 0, 0, 0}, {}, {0, 0, {0, 0}, {}, false}},
      {"one volume: no move measured", {0}, {}, {0, 0, {0, 0}, {}, false}},
      {"no volumes", {}, {}, {0, 0, {0, 0}, {}, false}},
      {"thresholds in the order given",
       {0, 1, 0.3, 0.1},
       {{0.5, 0.05, 2}, 0.25, 0.25, {}},
       {(1 + 0.3 + 0.1) / 3.0, 1, {1, 3, 0}, {1, 2}, true}},
      {"a flagged share at the maximum is not too many",
       {0, 0.6, 0.1, 0.1},
       {{}, 0.5, 0.25, {}},
       {0.8 / 3, 0.6, {}, {1}, false}},
      {"one more is", {0, 0.6, 0.1, 0.7}, {{}, 0.5, 0.25, {}}, {1.4 / 3, 0.7, {}, {1, 3}, true}},
      {"a spike threshold of its own",
       {0, 0.3, 0.9, 0.35},
       {{0.2}, 0.3, 1.0, {}},
       {1.55 / 3, 0.9, {3}, {2, 3}, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto summary = summarizeMotion(c.displacement, c.options);
    const auto volumes = c.displacement.size();
    const auto share = [volumes](std::size_t count) {
      return volumes == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(volumes);
    };
    EXPECT_EQ(summary.volumes, volumes);
    EXPECT_DOUBLE_EQ(summary.meanDisplacement, c.expected.mean);
    EXPECT_EQ(summary.maxDisplacement, c.expected.max);
    ASSERT_EQ(summary.aboveThresholds.size(), c.options.thresholds.size());
    for (std::size_t k = 0; k < c.options.thresholds.size(); ++k) {
      EXPECT_EQ(summary.aboveThresholds[k].threshold, c.options.thresholds[k]);
      EXPECT_EQ(summary.aboveThresholds[k].count, c.expected.counts[k]) << "threshold " << k;
      EXPECT_EQ(summary.aboveThresholds[k].share, share(c.expected.counts[k]));
    }
    EXPECT_EQ(summary.flaggedVolumes, c.expected.flagged);
    EXPECT_EQ(summary.flaggedShare, share(c.expected.flagged.size()));
    EXPECT_EQ(summary.tooManyFlagged, c.expected.tooMany);
  }
}

TEST(MotionSummaryTest, ScrubbingTakesOneDegreeOfFreedomPerFlaggedVolumeOnly) {
  // Volumes 2 and 3 are neighbours; each counts once, and nothing around them is scrubbed.
  const auto summary = summarizeMotion({0, 0.1, 0.9, 0.8, 0.1, 0.1});
  EXPECT_EQ(summary.flaggedVolumes, (std::vector<std::size_t>{2, 3}));
  EXPECT_EQ(scrubbedDegreesOfFreedom(100, summary), 98);
  EXPECT_EQ(scrubbedDegreesOfFreedom(1, summary), -1);
  EXPECT_EQ(scrubbedDegreesOfFreedom(5, summarizeMotion({0, 0.1})), 5);
}

TEST(MotionOptionsTest, OptionTextsReadOrAreClearErrors) {
  EXPECT_EQ(parseSpikeCriterion("fd:0.5").displacementThreshold, 0.5);
  EXPECT_EQ(parseSpikeCriterion("fd:5e-1").displacementThreshold, 0.5);
  EXPECT_EQ(parseThresholdList("0.2,0.5"), (std::vector<double>{0.2, 0.5}));
  EXPECT_EQ(parseThresholdList("1,0.25,1"), (std::vector<double>{1, 0.25, 1}));

  struct Case {
    std::string text;
    std::string message;
  };
  const Case criteria[] = {
      {"dvars:1.5",
       "spike criterion \"dvars:1.5\": only fd:<mm> is known (framewise displacement in mm)"},
      {"0.5", "spike criterion \"0.5\": only fd:<mm> is known (framewise displacement in mm)"},
      {"fd:", "spike criterion \"fd:\": \"\" is not a positive number of mm"},
      {"fd:0", "spike criterion \"fd:0\": \"0\" is not a positive number of mm"},
      {"fd:-0.5", "spike criterion \"fd:-0.5\": \"-0.5\" is not a positive number of mm"},
      {"fd:0.5mm", "spike criterion \"fd:0.5mm\": \"0.5mm\" is not a positive number of mm"},
      {"fd:inf", "spike criterion \"fd:inf\": \"inf\" is not a positive number of mm"},
  };
  for (const auto& c : criteria) {
    SCOPED_TRACE(c.text);
    expectError<std::invalid_argument>([&] { parseSpikeCriterion(c.text); }, c.message);
  }
  const Case lists[] = {
      {"", "threshold list \"\": \"\" is not a positive number of mm"},
      {"0.2,,0.5", "threshold list \"0.2,,0.5\": \"\" is not a positive number of mm"},
      {"0.2, 0.5", "threshold list \"0.2, 0.5\": \" 0.5\" is not a positive number of mm"},
      {"0.2,0", "threshold list \"0.2,0\": \"0\" is not a positive number of mm"},
  };
  for (const auto& c : lists) {
    SCOPED_TRACE(c.text);
    expectError<std::invalid_argument>([&] { parseThresholdList(c.text); }, c.message);
  }
}

}  // namespace
}  // namespace duv
