#include "check/contrasts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/design_builder.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

using Matrix = std::vector<std::vector<double>>;
using Columns = std::vector<std::vector<float>>;
using Positions = std::vector<std::size_t>;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The Moore-Penrose pseudo-inverse of a symmetric matrix from its eigen-decomposition by cyclic
// Jacobi rotations, eigenvalues up to 1e-9 of the largest taken as 0. Independent of the
// product's factorisations.
Matrix pseudoInverse(Matrix a) {
  const std::size_t n = a.size();
  Matrix v(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) v[i][i] = 1.0;
  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0.0;
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t q = p + 1; q < n; ++q) off += a[p][q] * a[p][q];
    }
    if (off < 1e-30) break;
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t q = p + 1; q < n; ++q) {
        if (a[p][q] == 0.0) continue;
        const double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
        const double t = std::copysign(1.0, theta) / (std::abs(theta) + std::hypot(theta, 1.0));
        const double c = 1.0 / std::hypot(t, 1.0);
        const double s = t * c;
        for (std::size_t k = 0; k < n; ++k) {  // a <- a J (columns p, q)
          const double akp = a[k][p];
          const double akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (std::size_t k = 0; k < n; ++k) {  // a <- J^T a (rows p, q)
          const double apk = a[p][k];
          const double aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        for (std::size_t k = 0; k < n; ++k) {
          const double vkp = v[k][p];
          const double vkq = v[k][q];
          v[k][p] = c * vkp - s * vkq;
          v[k][q] = s * vkp + c * vkq;
        }
      }
    }
  }
  double largest = 0.0;
  for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, std::abs(a[i][i]));
  Matrix inverse(n, std::vector<double>(n, 0.0));
  for (std::size_t k = 0; k < n; ++k) {
    if (a[k][k] <= 1e-9 * largest) continue;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < n; ++j) inverse[i][j] += v[i][k] * v[j][k] / a[k][k];
    }
  }
  return inverse;
}

double form(const Matrix& a, const std::vector<double>& c) {
  double sum = 0.0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    for (std::size_t j = 0; j < c.size(); ++j) sum += c[i] * a[i][j] * c[j];
  }
  return sum;
}

Matrix crossProducts(const Matrix& columns) {
  Matrix product(columns.size(), std::vector<double>(columns.size(), 0.0));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    for (std::size_t j = 0; j < columns.size(); ++j) {
      for (std::size_t t = 0; t < columns[i].size(); ++t) {
        product[i][j] += columns[i][t] * columns[j][t];
      }
    }
  }
  return product;
}

// The contrast VIF by its definition: the varying columns centred and scaled to unit length,
// c (X^T X)⁺ c^T / c (X^T X ∘ I)⁺ c^T.
double independentVif(const Columns& design, const std::vector<double>& weights) {
  Matrix x;
  std::vector<double> c;
  for (std::size_t p = 0; p < design.size(); ++p) {
    const auto& column = design[p];
    double mean = 0.0;
    for (const float value : column) mean += static_cast<double>(value);
    mean /= static_cast<double>(column.size());
    std::vector<double> centred;
    double squares = 0.0;
    for (const float value : column) {
      centred.push_back(static_cast<double>(value) - mean);
      squares += centred.back() * centred.back();
    }
    if (squares == 0.0) continue;  // constant
    for (double& value : centred) value /= std::sqrt(squares);
    x.push_back(centred);
    c.push_back(weights[p]);
  }
  const auto gram = crossProducts(x);
  Matrix diagonal(gram.size(), std::vector<double>(gram.size(), 0.0));
  for (std::size_t i = 0; i < gram.size(); ++i) diagonal[i][i] = gram[i][i];
  return form(pseudoInverse(gram), c) / form(pseudoInverse(diagonal), c);
}

// 1 / (c (X^T X)⁺ c^T) on the raw design, a column of ones added when it has no constant.
double independentEfficiency(Columns design, std::vector<double> weights) {
  const bool hasConstant = std::any_of(design.begin(), design.end(), [](const auto& column) {
    return std::all_of(column.begin(), column.end(),
                       [&](float value) { return value == column.front() && value != 0.0F; });
  });
  if (!hasConstant) {
    design.emplace_back(design.front().size(), 1.0F);
    weights.push_back(0.0);
  }
  Matrix x;
  for (const auto& column : design) x.emplace_back(column.begin(), column.end());
  return 1.0 / form(pseudoInverse(crossProducts(x)), weights);
}

DesignCheck checked(const Columns& columns, const std::vector<std::string>& names = {}) {
  auto named = names;
  for (std::size_t p = names.size(); p < columns.size(); ++p) {
    named.push_back("P" + std::to_string(p + 1));
  }
  const auto design =
      testing::makeDesign(named, columns, static_cast<std::int32_t>(columns.size() + 1));
  return checkDesign(design, {});
}

Contrast contrastOf(const DesignCheck& check, const std::vector<double>& weights) {
  Contrast contrast;
  contrast.name = "c";
  for (std::size_t p = 0; p < weights.size(); ++p) {
    if (weights[p] != 0.0) contrast.terms.push_back({check.columns[p].name, weights[p]});
  }
  return contrast;
}

// `count` columns of `points` values: a shared part of weight `shared` (correlating them), each
// with its own scale and offset; integer-valued when `integers`, so that sums are exact.
Columns randomColumns(std::mt19937& random, std::size_t count, std::size_t points, double shared,
                      bool integers) {
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> uniform(0.5, 4.0);
  std::vector<double> common(points);
  for (double& value : common) value = normal(random);
  Columns columns;
  for (std::size_t p = 0; p < count; ++p) {
    const double scale = uniform(random);
    const double offset = uniform(random) - 2.0;
    std::vector<float> column;
    for (std::size_t t = 0; t < points; ++t) {
      double value =
          scale * (std::sqrt(1 - shared) * normal(random) + std::sqrt(shared) * common[t]);
      value = integers ? std::round(3 * value) : value + offset;
      column.push_back(static_cast<float>(value));
    }
    columns.push_back(column);
  }
  return columns;
}

std::vector<float> sum(const std::vector<float>& a, const std::vector<float>& b) {
  std::vector<float> result(a.size());
  for (std::size_t t = 0; t < a.size(); ++t) result[t] = a[t] + b[t];
  return result;
}

TEST(ContrastsTest, VifAndEfficiencyAgreeWithTheirDefinitions) {
  std::mt19937 random(2026);
  struct Case {
    const char* name;
    Columns columns;
  };
  std::vector<Case> cases;
  cases.push_back({"independent", randomColumns(random, 5, 80, 0.0, false)});
  cases.push_back({"correlated", randomColumns(random, 6, 60, 0.7, false)});
  cases.push_back({"strongly correlated", randomColumns(random, 4, 40, 0.95, false)});
  auto withConstant = randomColumns(random, 5, 50, 0.4, false);
  withConstant.insert(withConstant.begin() + 2, std::vector<float>(50, 2.0F));
  cases.push_back({"with a constant of 2", withConstant});
  // Rank-deficient: P4 = P1 + P2 exactly; contrasts orthogonal to that dependency are estimable.
  auto deficient = randomColumns(random, 5, 40, 0.3, true);
  deficient.insert(deficient.begin() + 3, sum(deficient[0], deficient[1]));
  cases.push_back({"rank-deficient", deficient});

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto check = checked(c.columns);
    const std::size_t p = c.columns.size();
    std::vector<std::vector<double>> contrasts;
    std::normal_distribution<double> normal;
    for (std::size_t k = 0; k < 4; ++k) {
      std::vector<double> weights(p, 0.0);
      for (const std::size_t i : check.varying) weights[i] = normal(random);
      contrasts.push_back(weights);
    }
    contrasts.push_back(std::vector<double>(p, 0.0));
    contrasts.back()[check.varying[0]] = 1;
    contrasts.back()[check.varying[1]] = -1;
    for (auto& weights : contrasts) {
      // Orthogonal to the null vector P1 + P2 - P4.
      if (check.rankDeficient()) weights[3] = weights[0] + weights[1];
      const auto result = checkContrast(contrastOf(check, weights), check, {});
      ASSERT_TRUE(result.estimable());
      const double vif = independentVif(c.columns, weights);
      EXPECT_NEAR(result.vif, vif, 1e-6 * vif);
      const double efficiency = independentEfficiency(c.columns, weights);
      EXPECT_NEAR(result.efficiency, efficiency, 1e-6 * efficiency);
    }
    // A one-predictor contrast gives that predictor's VIF (infinite in a dependency).
    for (const std::size_t i : check.varying) {
      std::vector<double> weights(p, 0.0);
      weights[i] = 1.0;
      const auto result = checkContrast(contrastOf(check, weights), check, {});
      const double vif = *check.columns[i].vif;
      EXPECT_EQ(result.estimable(), !std::isinf(vif)) << i;
      if (std::isinf(vif)) {
        EXPECT_EQ(result.vif, vif) << i;
      } else {
        EXPECT_NEAR(result.vif, vif, 1e-9 * vif) << i;
      }
    }
  }
}

TEST(ContrastsTest, MoreColumnsThanDataPointsAgreeWithTheDefinitions) {
  // 12 columns of 6 data points: rank 5, 7 dependent columns, more than the pivots, so the null
  // vectors are handled through the pivots' Gram matrix. c = X^T y with y centred lies in the
  // row space of the design with its constant: estimable.
  std::mt19937 random(7);
  const auto columns = randomColumns(random, 12, 6, 0.3, false);
  const auto check = checked(columns);
  ASSERT_TRUE(check.correlationFactor.throughPivots);
  std::normal_distribution<double> normal;
  for (int k = 0; k < 4; ++k) {
    std::vector<double> y(6);
    double mean = 0.0;
    for (double& value : y) mean += (value = normal(random)) / 6;
    std::vector<double> weights(columns.size(), 0.0);
    for (std::size_t p = 0; p < columns.size(); ++p) {
      for (std::size_t t = 0; t < 6; ++t) {
        weights[p] += static_cast<double>(columns[p][t]) * (y[t] - mean);
      }
    }
    const auto result = checkContrast(contrastOf(check, weights), check, {});
    ASSERT_TRUE(result.estimable()) << k;
    const double vif = independentVif(columns, weights);
    EXPECT_NEAR(result.vif, vif, 1e-6 * vif) << k;
    const double efficiency = independentEfficiency(columns, weights);
    EXPECT_NEAR(result.efficiency, efficiency, 1e-6 * efficiency) << k;
  }
  // A single column is not in that row space.
  std::vector<double> single(columns.size(), 0.0);
  single[3] = 1.0;
  EXPECT_FALSE(checkContrast(contrastOf(check, single), check, {}).estimable());
}

TEST(ContrastsTest, TwoCorrelatedColumnsFollowTheClosedForm) {
  // r(A, B) = r: R⁻¹ = [[1, -r], [-r, 1]] / (1 - r²), so for c = (x, y) the contrast VIF is
  // (x² + y² - 2 r x y) / ((1 - r²) (x² + y²)).
  const std::vector<float> a{1, -1, 1, -1, 1, -1, 1, -1};
  const std::vector<float> b{1, 1, -1, -1, 1, 1, -1, -1};
  struct Case {
    double r;
    double x;
    double y;
    std::optional<CheckLevel> level;
  };
  const Case cases[] = {
      {0.3, 1, 0, std::nullopt},       {0.3, 1, -1, std::nullopt},
      {0.85, 1, 1, std::nullopt},      {0.85, 1, -1, CheckLevel::medium},
      {0.95, 1, 0, CheckLevel::high},  {0.95, 0.5, 0.5, std::nullopt},
      {0.95, -2, 1, CheckLevel::high}, {0.6, 1, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.r) + " " + std::to_string(c.x) + " " + std::to_string(c.y));
    std::vector<float> y(8);
    const double other = std::sqrt(1 - c.r * c.r);
    for (std::size_t t = 0; t < 8; ++t) {
      y[t] =
          static_cast<float>(c.r * static_cast<double>(a[t]) + other * static_cast<double>(b[t]));
    }
    const auto check = checked({a, y}, {"A", "B"});
    const double r = check.correlationOf(0, 1);
    const double expected =
        (c.x * c.x + c.y * c.y - 2 * r * c.x * c.y) / ((1 - r * r) * (c.x * c.x + c.y * c.y));
    const auto result = checkContrast(contrastOf(check, {c.x, c.y}), check, {});
    EXPECT_NEAR(result.vif, expected, 1e-9 * expected);
    EXPECT_EQ(result.level, c.level);
  }
  // At r = 0.6: 1 / 0.64 for A alone, 0.625 for A + B.
  std::vector<float> y(8);
  for (std::size_t t = 0; t < 8; ++t) y[t] = 0.6F * a[t] + 0.8F * b[t];
  const auto check = checked({a, y}, {"A", "B"});
  const ContrastThresholds strict{1.5, 1.2};
  EXPECT_EQ(checkContrast(contrastOf(check, {1, 0}), check, strict).level, CheckLevel::high);
  EXPECT_EQ(checkContrast(contrastOf(check, {1, 1}), check, strict).level, std::nullopt);
}

TEST(ContrastsTest, ContrastsInsideADependencyAreNotEstimable) {
  // Three conditions that fill every data point (their sum is the constant) with different
  // numbers of points, a zero column, a column that is not a number, and another condition.
  const std::vector<float> first{1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<float> second{0, 0, 0, 1, 1, 0, 0, 0, 0, 0};
  const std::vector<float> third{0, 0, 0, 0, 0, 1, 1, 1, 1, 1};
  const std::vector<float> other{1, 2, 0, 1, 3, 0, 2, 1, 0, 2};
  auto notANumber = other;
  notANumber[4] = std::numeric_limits<float>::quiet_NaN();
  const Columns columns{first,
                        second,
                        third,
                        std::vector<float>(10, 0.0F),
                        notANumber,
                        other,
                        std::vector<float>(10, 1.0F)};
  const auto check = checked(columns, {"F", "S", "T", "Z", "N", "O", "Constant"});
  ASSERT_EQ(check.dependencies, (std::vector<Positions>{{3}, {0, 1, 2, 6}}));
  struct Case {
    const char* expression;
    std::vector<Positions> dependencies;
    Positions nonFinite;
  };
  const Case cases[] = {
      {"F - S", {}, {}},
      {"2*T - F - S", {}, {}},
      {"O", {}, {}},
      {"F", {{0, 1, 2, 6}}, {}},
      {"F + S", {{0, 1, 2, 6}}, {}},
      {"O + Z", {{3}}, {}},
      {"F + Z - N", {{3}, {0, 1, 2, 6}}, {4}},
      {"0*Z + O", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    const auto result = checkContrast(parseContrast("c", c.expression), check, {});
    EXPECT_EQ(result.dependencies, c.dependencies);
    EXPECT_EQ(result.nonFinite, c.nonFinite);
    EXPECT_EQ(result.estimable(), c.dependencies.empty() && c.nonFinite.empty());
    if (result.estimable()) {
      EXPECT_TRUE(std::isfinite(result.vif) && result.efficiency > 0.0);
      EXPECT_FALSE(result.level);
      auto weights = result.weights;
      weights[4] = 0.0;  // the column that is not a number stands outside the fit
      Columns finite = columns;
      finite.erase(finite.begin() + 4);
      weights.erase(weights.begin() + 4);
      const double efficiency = independentEfficiency(finite, weights);
      EXPECT_NEAR(result.efficiency, efficiency, 1e-9 * efficiency);
    } else {
      EXPECT_EQ(result.vif, kInfinity);
      EXPECT_EQ(result.efficiency, 0.0);
      EXPECT_EQ(result.level, CheckLevel::error);
    }
  }
  // More predictors than data points: no dependency is listed, a contrast still names one.
  std::mt19937 random(7);
  const auto wide = checked(randomColumns(random, 6, 4, 0.0, false));
  ASSERT_TRUE(wide.dataPointsExhausted);
  const auto result = checkContrast(parseContrast("c", "P1"), wide, {});
  EXPECT_FALSE(result.estimable());
  for (const auto& dependency : result.dependencies) {
    EXPECT_TRUE(std::find(dependency.begin(), dependency.end(), 0U) != dependency.end());
  }
}

TEST(ContrastsTest, NamesMustBeTheDesignsOwn) {
  const std::vector<float> a{1, -1, 1, -1, 1, -1, 1, -1};
  const std::vector<float> b{1, 1, -1, -1, 1, 1, -1, -1};
  const std::vector<float> c{1, 1, 1, 1, -1, -1, -1, -1};
  const auto check =
      checked({a, b, c, {2, 2, 2, 2, 2, 2, 2, 2}}, {"Faces", "Face2", "Houses", "Constant"});
  const auto twice = checked({a, b, c}, {"A", "B", "A"});
  struct Case {
    const DesignCheck& check;
    const char* expression;
    const char* message;
  };
  const Case cases[] = {
      {check, "Facs - Houses",
       "contrast \"c\" names \"Facs\", which the design does not have (close: \"Faces\", "
       "\"Face2\")"},
      {check, "faces",
       "contrast \"c\" names \"faces\", which the design does not have (close: \"Faces\", "
       "\"Face2\")"},
      {check, "Zebra", "contrast \"c\" names \"Zebra\", which the design does not have"},
      {check, "Faces - 0*Constant",
       "contrast \"c\" names \"Constant\", a constant predictor: contrasts weigh predictors that "
       "vary"},
      {twice, "B - A",
       "contrast \"c\" names \"A\", which is ambiguous: predictors 1 and 3 have that name"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.expression);
    testing::expectError<std::runtime_error>(
        [&] { checkContrast(parseContrast("c", test.expression), test.check, {}); }, test.message);
  }
}

TEST(ContrastsTest, ThresholdsAreValidated) {
  EXPECT_NO_THROW(validateContrastThresholds({}));
  testing::expectError<std::invalid_argument>(
      [] {
        validateContrastThresholds({10.0, 0.5});
      },
      "the medium contrast VIF must be at least 1");
  testing::expectError<std::invalid_argument>(
      [] {
        validateContrastThresholds({4.0, 5.0});
      },
      "the high contrast VIF must be at least the medium contrast VIF");
  testing::expectError<std::invalid_argument>(
      [] {
        validateContrastThresholds({kInfinity, 5.0});
      },
      "the high contrast VIF must be at least the medium contrast VIF");
}

}  // namespace
}  // namespace duv
