#include "check/design_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/design_builder.h"

namespace duv {
namespace {

using Columns = std::vector<std::vector<float>>;
using Positions = std::vector<std::size_t>;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Mutually orthogonal columns of mean 0 and equal length (Walsh functions of 8 points).
const std::vector<float> kA{1, -1, 1, -1, 1, -1, 1, -1};
const std::vector<float> kB{1, 1, -1, -1, 1, 1, -1, -1};
const std::vector<float> kC{1, 1, 1, 1, -1, -1, -1, -1};
const std::vector<float> kOnes(8, 1.0F);

std::vector<float> combined(float x, const std::vector<float>& a, float y,
                            const std::vector<float>& b) {
  std::vector<float> result(a.size());
  for (std::size_t t = 0; t < a.size(); ++t) result[t] = x * a[t] + y * b[t];
  return result;
}

DesignCheck checked(const Columns& columns, std::int32_t firstConfound = 0,
                    const CheckThresholds& thresholds = {}) {
  std::vector<std::string> names;
  for (std::size_t p = 0; p < columns.size(); ++p) names.push_back("P" + std::to_string(p + 1));
  const auto confound =
      firstConfound == 0 ? static_cast<std::int32_t>(columns.size() + 1) : firstConfound;
  return checkDesign(testing::makeDesign(names, columns, confound), thresholds);
}

std::vector<WarningKind> kindsOf(const DesignCheck& check) {
  std::vector<WarningKind> kinds;
  for (const auto& warning : check.warnings) kinds.push_back(warning.kind);
  return kinds;
}

TEST(DesignCheckTest, OrthogonalDesignWithAConstantIsClean) {
  const auto check = checked({kA, kB, kC, kOnes}, 4);
  EXPECT_EQ(check.dataPoints, 8U);
  EXPECT_EQ(check.mainPredictors, 3U);
  EXPECT_EQ(check.confounds, 0U);
  EXPECT_EQ(check.constants, 1U);
  EXPECT_EQ(check.rank, 4U);
  EXPECT_EQ(check.residualDegreesOfFreedom, 4);
  EXPECT_NEAR(check.conditionNumber, 1.0, 1e-12);
  EXPECT_TRUE(check.dependencies.empty());
  EXPECT_TRUE(check.warnings.empty());
  EXPECT_FALSE(check.level());
  for (std::size_t p = 0; p < 3; ++p) {
    EXPECT_NEAR(*check.columns[p].vif, 1.0, 1e-12);
    EXPECT_NEAR(*check.columns[p].rSquared, 0.0, 1e-12);
  }
  EXPECT_EQ(check.columns[3].kind, ColumnKind::constant);
  EXPECT_FALSE(check.columns[3].vif);
  EXPECT_EQ(check.varying, (Positions{0, 1, 2}));
}

TEST(DesignCheckTest, DuplicatedColumnIsIdenticalAndADependency) {
  const auto check = checked({kA, kB, kA, kOnes});
  EXPECT_EQ(check.rank, 3U);
  EXPECT_TRUE(check.rankDeficient());
  EXPECT_EQ(check.dependencies, (std::vector<Positions>{{0, 2}}));
  EXPECT_TRUE(std::isinf(check.conditionNumber));
  EXPECT_EQ(check.columns[0].vif, kInfinity);
  EXPECT_EQ(check.columns[2].vif, kInfinity);
  EXPECT_EQ(check.columns[2].rSquared, 1.0);
  EXPECT_NEAR(*check.columns[1].vif, 1.0, 1e-12);
  // The dependency of two identical columns is told once, as the identical pair.
  EXPECT_EQ(kindsOf(check), (std::vector<WarningKind>{WarningKind::identical}));
  EXPECT_EQ(check.warnings[0].columns, (Positions{0, 2}));
  EXPECT_NEAR(check.warnings[0].value, 1.0, 1e-12);
  EXPECT_EQ(check.level(), CheckLevel::error);
  EXPECT_EQ(check.strongestPair->first, 0U);
  EXPECT_EQ(check.strongestPair->second, 2U);
}

TEST(DesignCheckTest, ColumnThatIsTheSumOfTwoOthersIsListedWithThem) {
  // Not identical to either, and a mirrored copy counts as identical too.
  const auto sum = combined(1, kA, 1, kB);
  const auto check = checked({kA, sum, kC, kB, combined(-2, kC, 0, kC), kOnes}, 4);
  EXPECT_EQ(check.rank, 4U);
  EXPECT_EQ(check.dependencies, (std::vector<Positions>{{0, 1, 3}, {2, 4}}));
  for (std::size_t p = 0; p < 5; ++p) EXPECT_EQ(check.columns[p].vif, kInfinity) << p;
  EXPECT_EQ(kindsOf(check),
            (std::vector<WarningKind>{WarningKind::dependency, WarningKind::identical,
                                      WarningKind::correlation, WarningKind::correlation}));
  EXPECT_NEAR(check.warnings[1].value, -1.0, 1e-12);
  EXPECT_NEAR(std::abs(check.warnings[2].value), std::sqrt(0.5), 1e-12);
  EXPECT_EQ(check.warnings[2].level, CheckLevel::high);
}

TEST(DesignCheckTest, ComplementaryColumnsNeedTheConstantAndNameIt) {
  const std::vector<float> on{1, 1, 0, 0, 1, 1, 0, 0};
  const std::vector<float> off{0, 0, 1, 1, 0, 0, 1, 1};
  const auto check = checked({on, off, kA, kOnes}, 3);
  EXPECT_EQ(check.dependencies, (std::vector<Positions>{{0, 1, 3}}));
  // Without a constant column the dependency holds only through the fit's constant.
  const auto withoutConstant = checked({on, off, kA});
  EXPECT_EQ(withoutConstant.dependencies, (std::vector<Positions>{{0, 1}}));
  EXPECT_EQ(withoutConstant.rank, 2U);
  EXPECT_EQ(withoutConstant.residualDegreesOfFreedom, 8 - 2 - 1);
}

TEST(DesignCheckTest, ConstantElsewhereThanLastIsListedAndLeftOutOfTheCorrelations) {
  const auto twos = std::vector<float>(8, 2.0F);
  const auto single = checked({twos, kA, kB}, 2);
  EXPECT_EQ(single.columns[0].kind, ColumnKind::constant);
  EXPECT_EQ(single.constants, 1U);
  EXPECT_EQ(single.mainPredictors, 0U);
  EXPECT_EQ(single.confounds, 2U);
  EXPECT_EQ(single.rank, 3U);
  EXPECT_TRUE(single.dependencies.empty());
  EXPECT_EQ(single.varying, (Positions{1, 2}));
  EXPECT_FALSE(single.columns[0].vif);
  EXPECT_TRUE(single.columns[1].partners.size() == 1 && single.columns[1].partners[0].column == 2);
  // A second constant repeats the first.
  const auto twice = checked({twos, kA, kB, kOnes});
  EXPECT_EQ(twice.constants, 2U);
  EXPECT_EQ(twice.rank, 3U);
  EXPECT_EQ(twice.dependencies, (std::vector<Positions>{{0, 3}}));
  EXPECT_EQ(twice.level(), CheckLevel::error);
}

TEST(DesignCheckTest, FewerDataPointsThanPredictorsLeavesNoDegreesOfFreedom) {
  const Columns columns{{1, 2, 3, 5}, {2, 1, 4, 3}, {0, 1, 0, 2}, {5, 3, 1, 1},
                        {1, 1, 2, 9}, {3, 1, 4, 1}, {1, 1, 1, 1}};
  const auto check = checked(columns);
  EXPECT_EQ(check.rank, 4U);  // 3 centred directions and the constant
  EXPECT_EQ(check.residualDegreesOfFreedom, 0);
  EXPECT_TRUE(check.dataPointsExhausted);
  EXPECT_TRUE(check.dependencies.empty());
  EXPECT_TRUE(check.rankDeficient());
  EXPECT_TRUE(std::isinf(check.conditionNumber));
  ASSERT_FALSE(check.warnings.empty());
  EXPECT_EQ(check.warnings[0].kind, WarningKind::degreesOfFreedom);
  EXPECT_EQ(check.warnings[0].value, 0.0);
  for (std::size_t p = 0; p < 6; ++p) EXPECT_EQ(check.columns[p].vif, kInfinity);
}

TEST(DesignCheckTest, ZeroAndNonFiniteColumnsAreErrorsOutsideTheCorrelations) {
  auto withNan = kB;
  withNan[3] = std::numeric_limits<float>::quiet_NaN();
  const auto check = checked({kA, std::vector<float>(8, 0.0F), withNan, kC, kOnes});
  EXPECT_EQ(check.columns[1].kind, ColumnKind::zero);
  EXPECT_EQ(check.columns[2].kind, ColumnKind::nonFinite);
  EXPECT_EQ(check.varying, (Positions{0, 3}));
  EXPECT_EQ(check.dependencies, (std::vector<Positions>{{1}}));
  EXPECT_EQ(check.rank, 3U);
  EXPECT_EQ(kindsOf(check),
            (std::vector<WarningKind>{WarningKind::nonFinite, WarningKind::dependency}));
  EXPECT_EQ(check.warnings[0].columns, (Positions{2}));
}

TEST(DesignCheckTest, CorrelationAndVifMatchTheirDefinitions) {
  // r(a, y) = cos(theta) for y = cos(theta) a + sin(theta) b.
  struct Case {
    double r;
    std::optional<CheckLevel> level;
  };
  const Case cases[] = {{0.3, std::nullopt},         {0.399, std::nullopt},
                        {0.401, CheckLevel::medium}, {0.699, CheckLevel::medium},
                        {0.701, CheckLevel::high},   {0.95, CheckLevel::high}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.r);
    const auto y =
        combined(static_cast<float>(c.r), kA, static_cast<float>(std::sqrt(1 - c.r * c.r)), kB);
    const auto check = checked({kA, y, kOnes});
    const double r = static_cast<double>(static_cast<float>(c.r));
    EXPECT_NEAR(check.correlationOf(0, 1), r, 1e-6);
    const double vif = 1.0 / (1.0 - r * r);
    EXPECT_NEAR(*check.columns[0].vif, vif, 1e-5 * vif);
    EXPECT_NEAR(*check.columns[1].rSquared, r * r, 1e-6);
    EXPECT_NEAR(check.conditionNumber, std::sqrt((1 + r) / (1 - r)), 1e-4);
    std::optional<CheckLevel> pairLevel;
    for (const auto& warning : check.warnings) {
      if (warning.kind == WarningKind::correlation) pairLevel = warning.level;
    }
    EXPECT_EQ(pairLevel, c.level);
  }
}

TEST(DesignCheckTest, VifLevelsFollowTheThresholds) {
  // Three columns each at r = 0.6 (mod sign) with the sum direction: equicorrelated designs.
  const auto x = combined(0.9F, kA, 0.436F, kC);
  const auto check = checked({kA, x, kB, kOnes});
  const double vif = *check.columns[0].vif;  // about 1 / (1 - 0.81)
  EXPECT_NEAR(vif, 1 / (1 - 0.81 / (0.81 + 0.436 * 0.436)), 1e-4);
  ASSERT_EQ(check.warnings.size(), 3U);
  EXPECT_EQ(check.warnings[0].level, CheckLevel::high);  // the pair (|r| 0.9)
  EXPECT_EQ(check.warnings[1].kind, WarningKind::vif);
  EXPECT_EQ(check.warnings[1].level, CheckLevel::medium);
  CheckThresholds strict;
  strict.highVif = 5.0;
  strict.mediumVif = 2.0;
  const auto stricter = checked({kA, x, kB, kOnes}, 0, strict);
  EXPECT_EQ(stricter.warnings[1].level, CheckLevel::high);
  EXPECT_EQ(stricter.warnings[1].kind, WarningKind::vif);
}

TEST(DesignCheckTest, HiddenConfoundPairsLeaveIdenticalOnesAndMixedPairs) {
  const auto close = combined(0.8F, kB, 0.6F, kC);
  CheckThresholds hide;
  hide.hideConfoundPairs = true;
  // P1 main; P2, P3, P4 confounds: P2 ~ P3 at 0.8 hidden, P3 = P4 identical kept.
  const auto check = checked({kA, kB, close, close, kOnes}, 2, hide);
  std::vector<Positions> pairs;
  for (const auto& warning : check.warnings) {
    if (warning.kind == WarningKind::correlation || warning.kind == WarningKind::identical) {
      pairs.push_back(warning.columns);
    }
  }
  EXPECT_EQ(pairs, (std::vector<Positions>{{2, 3}}));
  EXPECT_EQ(checked({kA, kB, close, close, kOnes}, 2).warnings.size(), 3U);
}

TEST(DesignCheckTest, PartnersAreTheThreeStrongestByAbsoluteValue) {
  const std::vector<float> d{1, -1, -1, 1, 1, -1, -1, 1};
  const auto check = checked({combined(0.3F, kA, 0.95F, d), kA, combined(-0.9F, kA, 0.43F, kB), kC,
                              combined(0.5F, kA, 0.8F, kC)});
  const auto& partners = check.columns[1].partners;
  ASSERT_EQ(partners.size(), 3U);
  EXPECT_EQ(partners[0].column, 2U);
  EXPECT_LT(partners[0].r, 0.0);
  EXPECT_EQ(partners[1].column, 4U);
  EXPECT_EQ(partners[2].column, 0U);
  const auto highest = check.highestVif();
  for (const std::size_t p : check.varying) {
    EXPECT_GE(*check.columns[*highest].vif, *check.columns[p].vif);
  }
}

TEST(DesignCheckTest, DegenerateSizesDoNotBreak) {
  EXPECT_EQ(checked({}).rank, 0U);
  const auto noPoints = checkDesign(testing::makeDesign({"a"}, {{}}, 2), {});
  EXPECT_EQ(noPoints.columns[0].kind, ColumnKind::zero);
  EXPECT_EQ(noPoints.residualDegreesOfFreedom, -1);
  const auto onePoint = checked({{3.0F}, {2.0F}});
  EXPECT_EQ(onePoint.constants, 2U);
  EXPECT_EQ(onePoint.rank, 1U);
  EXPECT_EQ(onePoint.residualDegreesOfFreedom, 0);
  EXPECT_EQ(onePoint.conditionNumber, kInfinity);
}

TEST(DesignCheckTest, ThresholdsAreValidated) {
  const auto invalid = [](auto change) {
    CheckThresholds t;
    change(t);
    EXPECT_THROW(validateThresholds(t), std::invalid_argument);
  };
  EXPECT_NO_THROW(validateThresholds({}));
  invalid([](CheckThresholds& t) { t.mediumCorrelation = 0.0; });
  invalid([](CheckThresholds& t) { t.highCorrelation = 0.3; });
  invalid([](CheckThresholds& t) { t.highCorrelation = 1.5; });
  invalid([](CheckThresholds& t) { t.mediumVif = 0.5; });
  invalid([](CheckThresholds& t) { t.highVif = 4.0; });
  invalid([](CheckThresholds& t) { t.highVif = std::nan(""); });
}

}  // namespace
}  // namespace duv
