#include "numerics/motion_rule.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "numerics/motion_summary.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

using testing::expectError;

// Ten volumes: the first 0, then `moves` (padded with `rest`).
std::vector<double> series(std::vector<double> moves, double rest = 0.0) {
  std::vector<double> fd{0.0};
  fd.insert(fd.end(), moves.begin(), moves.end());
  fd.resize(10, rest);
  return fd;
}

std::vector<MotionMeasure> measuresOf(const MotionSummary& summary) {
  std::vector<MotionMeasure> measures;
  for (const auto& excess : summary.excesses) measures.push_back(excess.measure);
  return measures;
}

// Each limit exactly at its value keeps it; a hair above goes beyond it.
TEST(MotionRuleTest, EachLimitIsStrictAtItsEdge) {
  using enum MotionMeasure;
  struct Case {
    const char* what;
    MotionLimits limits;
    std::vector<double> displacement;
    std::vector<MotionMeasure> expected;
  };
  const auto lenient = motionLimitsOf(MotionRule::lenient);
  const auto none = motionLimitsOf(MotionRule::none);
  auto ownMean = none;
  ownMean.meanDisplacement = 0.1;
  auto ownLargest = motionLimitsOf(MotionRule::stringent);
  ownLargest.largestDisplacement = 1.0;
  auto ownShare = lenient;
  ownShare.shareAbove = ShareLimit{0.3, 0.1};
  const Case cases[] = {
      // Stringent: nine moves of 0.25 mm make a mean of exactly 0.25 (and every one above
      // 0.2 mm: the share rule fires alone).
      {"stringent mean at 0.25", {}, series({}, 0.25), {shareAbove}},
      {"stringent mean above 0.25", {}, series({0.2500001}, 0.25), {meanDisplacement, shareAbove}},
      {"one large move lifts the mean", {}, series({1.5, 0.1}, 0.1), {meanDisplacement}},
      // Two of ten volumes above 0.2 mm is 20 %: not more than 20 %; three is.
      {"stringent share at 20 %", {}, series({0.21, 0.21}), {}},
      {"stringent share above 20 %", {}, series({0.21, 0.21, 0.21}), {shareAbove}},
      {"a volume at 0.2 mm is not above it", {}, series({0.21, 0.21, 0.2}), {}},
      {"stringent largest at 5", {}, series({5.0}), {meanDisplacement}},
      {"stringent largest above 5",
       {},
       series({5.0000001}),
       {meanDisplacement, largestDisplacement}},
      {"stringent, every limit at once",
       {},
       series({6, 6, 6}),
       {meanDisplacement, shareAbove, largestDisplacement}},
      // Lenient: the mean alone, at 0.55 mm (one move: the mean is that move).
      {"lenient mean at 0.55", lenient, {0, 0.55}, {}},
      {"lenient mean above 0.55", lenient, {0, 0.5500001}, {meanDisplacement}},
      {"lenient ignores a large move", lenient, series({4.9}), {}},
      {"none: nothing", none, series({9, 9, 9, 9}), {}},
      {"none with an own mean limit, at it", ownMean, {0, 0.1}, {}},
      {"none with an own mean limit, above it", ownMean, series({0.91}), {meanDisplacement}},
      {"an own largest limit replaces 5 mm", ownLargest, series({1.0}), {}},
      {"an own largest limit, above it", ownLargest, series({1.01}), {largestDisplacement}},
      // 10 % of ten volumes is one: two are more.
      {"an own share beside lenient, at it", ownShare, series({0.31}), {}},
      {"an own share beside lenient, above it", ownShare, series({0.31, 0.31}), {shareAbove}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MotionSummaryOptions options;
    options.limits = c.limits;
    options.maxFlaggedShare = 1.0;  // the rule's limits alone
    EXPECT_EQ(measuresOf(summarizeMotion(c.displacement, options)), c.expected);
  }
}

TEST(MotionRuleTest, ExcessesCarryTheirValuesLimitsAndThresholds) {
  MotionSummaryOptions options;
  options.maxFlaggedShare = 0.1;
  const auto summary = summarizeMotion(series({6, 6, 6}), options);
  ASSERT_EQ(summary.excesses.size(), 4U);
  const auto& mean = summary.excesses[0];
  EXPECT_DOUBLE_EQ(mean.value, 18.0 / 9.0);
  EXPECT_EQ(mean.limit, 0.25);
  const auto& share = summary.excesses[1];
  EXPECT_EQ(share.value, 0.3);
  EXPECT_EQ(share.limit, 0.2);
  EXPECT_EQ(share.threshold, 0.2);
  ASSERT_TRUE(summary.limitedShare.has_value());
  EXPECT_EQ(summary.limitedShare->count, 3U);
  EXPECT_EQ(summary.excesses[2].value, 6.0);
  EXPECT_EQ(summary.excesses[2].limit, 5.0);
  const auto& flagged = summary.excesses[3];
  EXPECT_EQ(flagged.measure, MotionMeasure::flaggedShare);
  EXPECT_EQ(flagged.value, 0.3);
  EXPECT_EQ(flagged.limit, 0.1);
  EXPECT_EQ(flagged.threshold, 0.5);
  // Without a share limit there is no share to count.
  options.limits = motionLimitsOf(MotionRule::lenient);
  EXPECT_FALSE(summarizeMotion(series({6}), options).limitedShare.has_value());
  EXPECT_TRUE(summarizeMotion({}, {}).excesses.empty());
}

TEST(MotionRuleTest, NamedRulesHoldTheirLimits) {
  const auto stringent = motionLimitsOf(MotionRule::stringent);
  EXPECT_EQ(stringent.meanDisplacement, 0.25);
  EXPECT_EQ(stringent.largestDisplacement, 5.0);
  ASSERT_TRUE(stringent.shareAbove.has_value());
  EXPECT_EQ(stringent.shareAbove->threshold, 0.2);
  EXPECT_EQ(stringent.shareAbove->share, 0.2);
  EXPECT_EQ(MotionLimits{}.meanDisplacement, stringent.meanDisplacement);
  const auto lenient = motionLimitsOf(MotionRule::lenient);
  EXPECT_EQ(lenient.meanDisplacement, 0.55);
  EXPECT_FALSE(lenient.largestDisplacement || lenient.shareAbove);
  const auto none = motionLimitsOf(MotionRule::none);
  EXPECT_FALSE(none.meanDisplacement || none.largestDisplacement || none.shareAbove);
  for (const auto rule : {MotionRule::stringent, MotionRule::lenient, MotionRule::none}) {
    EXPECT_EQ(parseMotionRule(motionRuleName(rule)), rule);
    EXPECT_EQ(motionLimitsOf(rule).rule, rule);
  }
}

TEST(MotionRuleTest, LimitTextsReadOrAreClearErrors) {
  EXPECT_EQ(parseDisplacementLimit("0.25"), 0.25);
  EXPECT_EQ(parseDisplacementLimit("0"), 0.0);
  EXPECT_EQ(parseDisplacementLimit("2.5e-1"), 0.25);
  const auto share = parseShareLimit("0.2:20");
  EXPECT_EQ(share.threshold, 0.2);
  EXPECT_EQ(share.share, 0.2);
  EXPECT_EQ(parseShareLimit("0:0").share, 0.0);
  EXPECT_EQ(parseShareLimit("1:100").share, 1.0);
  EXPECT_EQ(parseShareLimit("0.5:12.5").share, 0.125);
  struct Case {
    const char* text;
    const char* error;
  };
  const Case limits[] = {
      {"-0.1", "\"-0.1\" is not a number of mm, 0 or more"},
      {"abc", "\"abc\" is not a number of mm, 0 or more"},
      {"", "\"\" is not a number of mm, 0 or more"},
      {"0.25mm", "\"0.25mm\" is not a number of mm, 0 or more"},
      {"inf", "\"inf\" is not a number of mm, 0 or more"},
      {"nan", "\"nan\" is not a number of mm, 0 or more"},
  };
  for (const auto& c : limits) {
    expectError<std::invalid_argument>([&] { parseDisplacementLimit(c.text); }, c.error);
  }
  const Case shares[] = {
      {"0.2", "\"0.2\" is not MM:PERCENT (as 0.2:20)"},
      {"", "\"\" is not MM:PERCENT (as 0.2:20)"},
      {":20", "\":20\": \"\" is not a number of mm, 0 or more"},
      {"-0.2:20", "\"-0.2:20\": \"-0.2\" is not a number of mm, 0 or more"},
      {"0.2:", "\"0.2:\": \"\" is not a percentage from 0 to 100"},
      {"0.2:100.5", "\"0.2:100.5\": \"100.5\" is not a percentage from 0 to 100"},
      {"0.2:-1", "\"0.2:-1\": \"-1\" is not a percentage from 0 to 100"},
      {"0.2:20%", "\"0.2:20%\": \"20%\" is not a percentage from 0 to 100"},
      {"0.2:20:5", "\"0.2:20:5\": \"20:5\" is not a percentage from 0 to 100"},
  };
  for (const auto& c : shares) {
    expectError<std::invalid_argument>([&] { parseShareLimit(c.text); }, c.error);
  }
  expectError<std::invalid_argument>(
      [] { parseMotionRule("Stringent"); },
      "unknown motion rule \"Stringent\": one of stringent, lenient, none");
}

}  // namespace
}  // namespace duv
