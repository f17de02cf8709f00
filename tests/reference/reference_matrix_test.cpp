// The reference's own operations on their own: the vector, the products, the transpose and the
// inverse's failure, whose orders and edge cases the fast paths are held to through it.

#include "tests/reference/reference_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace duv::reference {
namespace {

using Rows = std::vector<std::vector<float>>;

Matrix fromRows(const Rows& rows) {
  const auto r = static_cast<std::int32_t>(rows.size());
  const auto c = static_cast<std::int32_t>(rows.front().size());
  Matrix m(r, c);
  for (std::int32_t i = 0; i < r; ++i) {
    for (std::int32_t j = 0; j < c; ++j) {
      m(i, j) = rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    }
  }
  return m;
}

TEST(ReferenceMatrixTest, TransposeSwapsRowsAndColumns) {
  Matrix m(2, 3, 0.0F);
  m(1, 2) = 5.0F;
  const Matrix t = transpose(m);
  EXPECT_EQ(t.rows(), 3);
  EXPECT_EQ(t.cols(), 2);
  EXPECT_EQ(t(2, 1), 5.0F);
  EXPECT_EQ(t(1, 1), 0.0F);
}

TEST(ReferenceMatrixTest, VectorCopiesAreIndependent) {
  Vector v{1.0F, 2.0F};
  Vector w(v);
  w[0] = 5.0F;
  EXPECT_EQ(v[0], 1.0F);
  Vector u(3);
  u = v;
  u[1] = 7.0F;
  EXPECT_EQ(u.size(), 2);
  EXPECT_EQ(v[1], 2.0F);
}

TEST(ReferenceMatrixTest, NegativeVectorSizeFailsAsAllocation) {
  EXPECT_THROW(Vector(-1), std::bad_alloc);
}

TEST(ReferenceMatrixTest, ProductSumsInIncreasingInnerIndex) {
  // 1 + 1e8 rounds to 1e8, so this order gives 0; from the other end it would give 1.
  const Matrix left = fromRows({{1.0F, 1e8F, -1e8F}, {2.0F, 0.0F, 1.0F}});
  const Matrix right = fromRows({{1.0F, 4.0F}, {1.0F, 0.5F}, {1.0F, -2.0F}});
  ASSERT_NE((-1e8F + 1e8F) + 1.0F, (1.0F + 1e8F) + -1e8F);
  const Matrix product = left * right;
  ASSERT_EQ(product.rows(), 2);
  ASSERT_EQ(product.cols(), 2);
  EXPECT_EQ(product(0, 0), 0.0F);
  EXPECT_EQ(product(0, 1), (4.0F + 5e7F) + 2e8F);
  EXPECT_EQ(product(1, 0), 3.0F);
  EXPECT_EQ(product(1, 1), 6.0F);

  const Vector ones{1.0F, 1.0F, 1.0F};
  const Vector applied = left * ones;
  ASSERT_EQ(applied.size(), 2);
  EXPECT_EQ(applied[0], 0.0F);
  EXPECT_EQ(applied[1], 3.0F);
}

TEST(ReferenceMatrixTest, SumsStartFromTheFirstTermNotFromZero) {
  // -0 stays -0 only when it is not added to a +0 start.
  const Matrix product = fromRows({{-1.0F}}) * fromRows({{0.0F}});
  EXPECT_TRUE(std::signbit(product(0, 0)));
  const Vector applied = fromRows({{-1.0F}}) * Vector{0.0F};
  EXPECT_TRUE(std::signbit(applied[0]));
  EXPECT_TRUE(std::signbit(Vector{-0.0F}.sum()));
  EXPECT_EQ((Vector{1e8F, 1.0F, -1e8F}.sum()), 0.0F);
}

TEST(ReferenceMatrixTest, EmptyInnerDimensionGivesZeros) {
  const Matrix product = Matrix(2, 0) * Matrix(0, 3);
  ASSERT_EQ(product.rows(), 2);
  ASSERT_EQ(product.cols(), 3);
  EXPECT_EQ(product(1, 2), 0.0F);
  EXPECT_FALSE(std::signbit(product(1, 2)));
  const Vector applied = Matrix(2, 0) * Vector();
  ASSERT_EQ(applied.size(), 2);
  EXPECT_EQ(applied[1], 0.0F);
  EXPECT_EQ(Vector().sum(), 0.0F);
  EXPECT_TRUE(std::isnan(Vector().mean()));
}

TEST(ReferenceMatrixTest, VectorArithmetic) {
  const Vector v{1.0F, 2.0F, 3.0F, 4.5F};
  EXPECT_EQ(v.mean(), 10.5F / 4.0F);
  const Vector d = v - Vector{1.0F, 1.0F, 1.0F, 1.0F};
  EXPECT_EQ(d[3], 3.5F);
  const Vector s = (v - 1.0F).squared();
  EXPECT_EQ(s[0], 0.0F);
  EXPECT_EQ(s[3], 12.25F);
  EXPECT_EQ(Vector(std::vector<float>{2.0F, 3.0F})[1], 3.0F);
}

TEST(ReferenceMatrixTest, NonSquareInverseFailsAndLeavesTheMatrixUnchanged) {
  Matrix a(2, 3, 1.5F);
  EXPECT_FALSE(invert(a));
  EXPECT_EQ(a.rows(), 2);
  EXPECT_EQ(a(1, 2), 1.5F);
  try {
    (void)inverse(a);
    FAIL() << "expected an exception";
  } catch (const MatrixInversionError& error) {
    EXPECT_EQ(std::string(error.what()), "Matrix inversion failed");
  }
  EXPECT_EQ(a.cols(), 3);
}

}  // namespace
}  // namespace duv::reference
