// Head motion beside a design: the limits gone beyond in words, and the flagged volumes that
// the design's own spike columns regress out already, counted once.

#include "check/motion_check.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/design_builder.h"

namespace duv {
namespace {

// A design of one task predictor over `points` data points, with `confounds` after it.
DesignMatrix designOf(std::size_t points, const std::vector<std::vector<float>>& confounds,
                      const std::vector<std::string>& names = {}) {
  std::vector<std::string> allNames{"Task"};
  std::vector<std::vector<float>> columns{std::vector<float>(points)};
  for (std::size_t t = 0; t < points; ++t) columns[0][t] = static_cast<float>((t * 7) % 5);
  for (std::size_t k = 0; k < confounds.size(); ++k) {
    allNames.push_back(k < names.size() ? names[k] : "c" + std::to_string(k));
    columns.push_back(confounds[k]);
  }
  return testing::makeDesign(allNames, columns, 2);
}

// 0 everywhere but `value` at `at`.
std::vector<float> spike(std::size_t points, std::size_t at, float value = 1.0F) {
  std::vector<float> column(points, 0.0F);
  column[at] = value;
  return column;
}

TEST(MotionCheckTest, LimitsGoneBeyondAreWordedWithTheirLimits) {
  struct Case {
    const char* what;
    std::vector<double> displacement;  // after a first 0
    MotionLimits limits;
    double maxFlaggedShare;
    std::vector<std::string> expected;
  };
  const auto repeated = [](std::size_t count, double value, std::size_t total, double rest) {
    std::vector<double> values(total, rest);
    for (std::size_t t = 0; t < count; ++t) values[t] = value;
    return values;
  };
  auto meanOnly = motionLimitsOf(MotionRule::none);
  meanOnly.meanDisplacement = 0.25;
  auto shareOnly = motionLimitsOf(MotionRule::none);
  shareOnly.shareAbove = ShareLimit{0.2, 0.2};
  auto largestOnly = motionLimitsOf(MotionRule::none);
  largestOnly.largestDisplacement = 5.0;
  const Case cases[] = {
      {"mean FD", repeated(9, 0.41, 9, 0), meanOnly, 1.0, {"mean FD 0.41 mm > 0.25"}},
      // 62 of 100 volumes (the first counts among them) above 0.2 mm.
      {"share", repeated(62, 0.3, 99, 0), shareOnly, 1.0, {"62 % of volumes > 0.2 mm"}},
      {"largest", repeated(1, 5.31, 99, 0), largestOnly, 1.0, {"largest FD 5.31 mm > 5"}},
      // Rounded to the limit, a value shows more decimals.
      {"mean just above", {0.2504}, meanOnly, 1.0, {"mean FD 0.2504 mm > 0.25"}},
      {"mean a hair above", {0.25 + 1e-9}, meanOnly, 1.0, {"mean FD 0.250000 mm > 0.25"}},
      {"share just above",
       repeated(51, 0.3, 249, 0),
       shareOnly,
       1.0,
       {"20.4 % of volumes > 0.2 mm"}},
      {"largest just above",
       repeated(1, 5.001, 99, 0),
       largestOnly,
       1.0,
       {"largest FD 5.001 mm > 5"}},
      // 3 of 10 volumes above 0.5 mm, more than 25 %: 9 - 1 - 3 residual degrees of freedom.
      {"too many flagged",
       repeated(3, 0.6, 9, 0),
       motionLimitsOf(MotionRule::none),
       0.25,
       {"30 % of volumes > 0.5 mm, scrubbing leaves 5 df"}},
      {"every limit, in order",
       repeated(3, 6.0, 9, 0),
       {},
       0.25,
       {"mean FD 2.00 mm > 0.25", "30 % of volumes > 0.2 mm", "largest FD 6.00 mm > 5",
        "30 % of volumes > 0.5 mm, scrubbing leaves 5 df"}},
      {"within every limit", repeated(9, 0.1, 9, 0), {}, 0.25, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<double> displacement{0.0};
    displacement.insert(displacement.end(), c.displacement.begin(), c.displacement.end());
    const auto design = designOf(displacement.size(), {});
    MotionSummaryOptions options;
    options.limits = c.limits;
    options.maxFlaggedShare = c.maxFlaggedShare;
    const auto motion =
        checkMotion("run1.par", displacement, options, false, design, checkDesign(design, {}));
    EXPECT_EQ(motionReasons(motion), c.expected);
    EXPECT_EQ(levelOf(motion).has_value(), !c.expected.empty());
  }
}

TEST(MotionCheckTest, TheWarningKeepsItsWordsForTooManyFlaggedVolumes) {
  std::vector<double> displacement(10, 0.0);
  displacement[2] = 0.6;
  displacement[5] = 0.7;
  displacement[7] = 6.0;
  const auto design = designOf(displacement.size(), {});
  MotionSummaryOptions options;
  options.maxFlaggedShare = 0.25;
  const auto motion =
      checkMotion("run1.par", displacement, options, false, design, checkDesign(design, {}));
  EXPECT_EQ(motionWarningText(motion, options),
            "head motion: mean FD 0.81 mm > 0.25; 30 % of volumes > 0.2 mm; largest FD 6.00 mm > "
            "5; 30.0 % of the volumes move more than 0.5 mm (more than 25 %); scrubbing them "
            "leaves 5 residual degrees of freedom");
}

// Volumes 5, 9 and 12 of 20 are flagged; the design may regress some of them out already.
TEST(MotionCheckTest, FlaggedVolumesThatTheDesignSpikesAreNotScrubbedTwice) {
  constexpr std::size_t kPoints = 20;
  struct Case {
    const char* what;
    std::vector<std::vector<float>> confounds;
    std::size_t flaggedInDesign;
    std::string text;  // how the motion line tells it
  };
  std::vector<float> twoVolumes(kPoints, 0.0F);
  twoVolumes[5] = 1.0F;
  twoVolumes[6] = 1.0F;
  std::vector<float> notANumber = spike(kPoints, 9);
  notANumber[9] = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {"no spike columns", {}, 0, "3 volumes flagged above 0.5 mm, scrubbing"},
      {"two of them",
       {spike(kPoints, 5), spike(kPoints, 12)},
       2,
       "3 volumes flagged above 0.5 mm, 2 of them spike columns, scrubbing"},
      {"all of them",
       {spike(kPoints, 12), spike(kPoints, 9), spike(kPoints, 5)},
       3,
       "3 volumes flagged above 0.5 mm, each a spike column, scrubbing"},
      {"one twice",
       {spike(kPoints, 5), spike(kPoints, 5, 2.0F)},
       1,
       "3 volumes flagged above 0.5 mm, 1 of them a spike column, scrubbing"},
      {"a scaled spike regresses its volume out too",
       {spike(kPoints, 9, -0.5F)},
       1,
       "1 of them a spike column"},
      {"a spike at a volume not flagged",
       {spike(kPoints, 3)},
       0,
       "flagged above 0.5 mm, scrubbing"},
      {"a column of two volumes is no spike", {twoVolumes}, 0, "flagged above 0.5 mm, scrubbing"},
      {"a value that is not a number is no spike",
       {notANumber},
       0,
       "flagged above 0.5 mm, scrubbing"},
  };
  std::vector<double> displacement(kPoints, 0.1);
  displacement[0] = 0.0;
  for (const std::size_t volume : {5U, 9U, 12U}) displacement[volume] = 0.8;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto design = designOf(kPoints, c.confounds);
    const auto check = checkDesign(design, {});
    MotionSummaryOptions options;
    const auto motion = checkMotion("run1.par", displacement, options, false, design, check);
    EXPECT_EQ(motion.flaggedInDesign, c.flaggedInDesign);
    EXPECT_EQ(motion.scrubbedDegreesOfFreedom,
              check.residualDegreesOfFreedom - 3 + static_cast<std::int64_t>(c.flaggedInDesign));
    EXPECT_NE(motionText(motion, options).find(c.text), std::string::npos)
        << motionText(motion, options);
  }
  // A main predictor that spikes a volume is the task's, not a confound: it scrubs nothing.
  auto design = designOf(kPoints, {spike(kPoints, 5)});
  design.firstConfoundPredictor.value = 3;
  EXPECT_EQ(spikeVolumesOf(design, checkDesign(design, {})), std::vector<std::size_t>{});
  design.firstConfoundPredictor.value = 2;
  EXPECT_EQ(spikeVolumesOf(design, checkDesign(design, {})), std::vector<std::size_t>{5});
}

}  // namespace
}  // namespace duv
