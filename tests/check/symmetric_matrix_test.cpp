#include "check/symmetric_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace duv {
namespace {

SymmetricMatrix fromRows(const std::vector<std::vector<double>>& rows) {
  SymmetricMatrix matrix(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = 0; j < rows.size(); ++j) matrix.at(i, j) = rows[i][j];
  }
  return matrix;
}

TEST(SymmetricMatrixTest, EigenvaluesOfKnownMatricesComeOutAscending) {
  constexpr double kPi = 3.14159265358979323846;
  struct Case {
    const char* name;
    SymmetricMatrix matrix;
    std::vector<double> expected;
  };
  // The second-difference matrix of size 6 has eigenvalues 2 - 2 cos(k pi / 7), k = 1 .. 6.
  SymmetricMatrix secondDifference(6);
  std::vector<double> secondDifferenceValues;
  for (std::size_t i = 0; i < 6; ++i) {
    secondDifference.at(i, i) = 2.0;
    if (i > 0) secondDifference.at(i, i - 1) = secondDifference.at(i - 1, i) = -1.0;
    secondDifferenceValues.push_back(2.0 - 2.0 * std::cos(static_cast<double>(i + 1) * kPi / 7));
  }
  // All ones: one eigenvalue n, the others 0.
  SymmetricMatrix ones(5);
  for (std::size_t i = 0; i < 5; ++i) {
    for (std::size_t j = 0; j < 5; ++j) ones.at(i, j) = 1.0;
  }
  const Case cases[] = {
      {"empty", SymmetricMatrix(0), {}},
      {"one", fromRows({{4.0}}), {4.0}},
      {"two by two", fromRows({{1.0, 0.6}, {0.6, 1.0}}), {0.4, 1.6}},
      {"diagonal", fromRows({{3, 0, 0}, {0, -1, 0}, {0, 0, 2}}), {-1, 2, 3}},
      {"dense", fromRows({{4, 1, 2}, {1, 3, 0}, {2, 0, 5}}), {}},
      {"second difference", secondDifference, secondDifferenceValues},
      {"ones", ones, {0, 0, 0, 0, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto values = symmetricEigenvalues(c.matrix);
    ASSERT_EQ(values.size(), c.matrix.size());
    if (c.expected.empty() && c.matrix.size() == 3) {
      // Trace and determinant of the dense case: 12 and 4*15 - 1*5 + 2*(-6) = 43.
      EXPECT_NEAR(values[0] + values[1] + values[2], 12.0, 1e-12);
      EXPECT_NEAR(values[0] * values[1] * values[2], 43.0, 1e-10);
      EXPECT_TRUE(values[0] <= values[1] && values[1] <= values[2]);
      continue;
    }
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], c.expected[i], 1e-12);
  }
}

TEST(SymmetricMatrixTest, PivotedCholeskyFindsTheRankAndTheCombinations) {
  // Gram matrix of columns a = (1,0,0), b = (0,1,0), a + 2b, a again.
  const auto gram = fromRows({{1, 0, 1, 1}, {0, 1, 2, 0}, {1, 2, 5, 1}, {1, 0, 1, 1}});
  const auto factor = pivotedCholesky(gram, 1e-10);
  EXPECT_EQ(factor.rank(), 2U);
  EXPECT_EQ(factor.pivots.front(), 2U);  // the largest diagonal first
  ASSERT_EQ(factor.dependent.size(), 2U);
  // Of a, b and a + 2b, two are taken: the third (and the copy of a) are combinations.
  for (const std::size_t j : factor.dependent) {
    const auto c = factor.combinationOf(j);
    std::vector<double> column(3, 0.0);
    const std::vector<std::vector<double>> columns{{1, 0, 0}, {0, 1, 0}, {1, 2, 0}, {1, 0, 0}};
    for (std::size_t k = 0; k < c.size(); ++k) {
      for (std::size_t t = 0; t < 3; ++t) column[t] += c[k] * columns[factor.pivots[k]][t];
    }
    for (std::size_t t = 0; t < 3; ++t) EXPECT_NEAR(column[t], columns[j][t], 1e-12) << j;
  }
}

TEST(SymmetricMatrixTest, InverseDiagonalMatchesTheInverse) {
  // inverse of {{2, 1}, {1, 2}} is {{2, -1}, {-1, 2}} / 3.
  const auto factor = pivotedCholesky(fromRows({{2, 1}, {1, 2}}), 1e-12);
  ASSERT_EQ(factor.rank(), 2U);
  for (const double value : factor.inverseDiagonal()) EXPECT_NEAR(value, 2.0 / 3.0, 1e-14);
  const auto three = pivotedCholesky(fromRows({{4, 2, 0}, {2, 5, 1}, {0, 1, 3}}), 1e-12);
  // Inverse diagonal by cofactors: det = 4*14 - 2*6 = 44; (14, 12, 16) / 44 by column.
  const std::vector<double> expected{14.0 / 44, 12.0 / 44, 16.0 / 44};
  const auto diagonal = three.inverseDiagonal();
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_NEAR(diagonal[k], expected[three.pivots[k]], 1e-14);
  }
}

TEST(SymmetricMatrixTest, SolvesInvertTheMatrixOnThePivots) {
  struct Case {
    const char* name;
    SymmetricMatrix matrix;
    std::vector<double> b;
    std::vector<double> x;  // A[P, P] x[P] = b[P], 0 at the dependent columns
  };
  // Solutions are checked by multiplying back (and against known ones where given); in the
  // rank-deficient case the copy of column 0 is left out.
  const Case cases[] = {
      {"full", fromRows({{4, 2, 0}, {2, 5, 1}, {0, 1, 3}}), {2, 0, 3}, {}},
      {"two by two", fromRows({{2, 1}, {1, 2}}), {3, 0}, {2, -1}},
      {"a copy", fromRows({{1, 1, 0}, {1, 1, 0}, {0, 0, 2}}), {1, 1, 4}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto factor = pivotedCholesky(c.matrix, 1e-12);
    const auto x = factor.solve(c.b);
    ASSERT_EQ(x.size(), c.matrix.size());
    for (const std::size_t j : factor.dependent) EXPECT_EQ(x[j], 0.0);
    for (const std::size_t i : factor.pivots) {
      double product = 0.0;
      for (std::size_t j = 0; j < x.size(); ++j) product += c.matrix.at(i, j) * x[j];
      EXPECT_NEAR(product, c.b[i], 1e-12);
    }
    for (std::size_t j = 0; j < c.x.size(); ++j) EXPECT_NEAR(x[j], c.x[j], 1e-12);
    // y.y = b[P] A[P, P]^-1 b[P]^T = b . x.
    const auto y = factor.solveLower(c.b);
    double form = 0.0;
    double bx = 0.0;
    for (const double value : y) form += value * value;
    for (std::size_t j = 0; j < x.size(); ++j) bx += c.b[j] * x[j];
    EXPECT_NEAR(form, bx, 1e-12);
  }
}

TEST(SymmetricMatrixTest, ANullMatrixHasRankZero) {
  const auto factor = pivotedCholesky(SymmetricMatrix(3), 1e-8);
  EXPECT_EQ(factor.rank(), 0U);
  EXPECT_EQ(factor.dependent, (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_TRUE(factor.combinationOf(1).empty());
}

}  // namespace
}  // namespace duv
