#include "stats/matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/matrix_decomposition.h"

namespace duv {
namespace {

using testing::decompose;
using testing::inverseOf;
using testing::invertInPlace;
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

Matrix identity(std::int32_t n) {
  Matrix m(n, n, 0.0F);
  for (std::int32_t i = 0; i < n; ++i) m(i, i) = 1.0F;
  return m;
}

bool sameBits(const Matrix& a, const Matrix& b) {
  if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
  for (std::int32_t c = 0; c < a.cols(); ++c) {
    for (std::int32_t r = 0; r < a.rows(); ++r) {
      if (std::bit_cast<std::uint32_t>(a(r, c)) != std::bit_cast<std::uint32_t>(b(r, c))) {
        return false;
      }
    }
  }
  return true;
}

// U diag(w) V^T, in double so that only the decomposition's own error is measured.
double largestReconstructionError(const Matrix& input, const Matrix& u, const std::vector<float>& w,
                                  const Matrix& v) {
  double largest = 0.0;
  for (std::int32_t r = 0; r < input.rows(); ++r) {
    for (std::int32_t c = 0; c < input.cols(); ++c) {
      double sum = 0.0;
      for (std::size_t k = 0; k < w.size(); ++k) {
        const auto column = static_cast<std::int32_t>(k);
        sum += static_cast<double>(u(r, column)) * static_cast<double>(w[k]) *
               static_cast<double>(v(c, column));
      }
      largest = std::max(largest, std::abs(sum - static_cast<double>(input(r, c))));
    }
  }
  return largest;
}

TEST(MatrixTest, StoresColumnByColumn) {
  Matrix m(2, 3, 0.0F);
  m(1, 0) = 6.0F;
  m(1, 2) = 5.0F;
  EXPECT_EQ(m.rows(), 2);
  EXPECT_EQ(m.cols(), 3);
  // Element (r, c) at r + c * rows: (1, 0) at 1, where row by row it would be at 3.
  EXPECT_EQ(m.data()[1], 6.0F);
  EXPECT_EQ(m.data()[3], 0.0F);
  EXPECT_EQ(m.data()[5], 5.0F);
  EXPECT_EQ(Matrix(std::pair<std::int32_t, std::int32_t>{2, 3}, 7.0F)(1, 2), 7.0F);
}

TEST(MatrixTest, CopiesAreIndependent) {
  Matrix a(2, 2, 1.0F);
  Matrix b(a);
  b(0, 0) = 2.0F;
  Matrix c(3, 1, 0.0F);
  c = a;
  c(1, 1) = 3.0F;
  EXPECT_EQ(a(0, 0), 1.0F);
  EXPECT_EQ(a(1, 1), 1.0F);
  EXPECT_EQ(c.rows(), 2);
  EXPECT_EQ(c.cols(), 2);
}

TEST(MatrixTest, MovedFromIsEmptyAndResizeKeepsTheArrayForTheSameCount) {
  Matrix a(2, 3, 1.0F);
  const float* array = a.data();
  Matrix b(std::move(a));
  EXPECT_EQ(b.data(), array);
  EXPECT_EQ(a.rows(), 0);  // NOLINT(bugprone-use-after-move): the moved-from state is promised
  EXPECT_EQ(a.cols(), 0);
  EXPECT_EQ(a.data(), nullptr);
  b.resize(3, 2);
  EXPECT_EQ(b.data(), array);
  EXPECT_EQ(b.rows(), 3);
  EXPECT_EQ(b.cols(), 2);
  b.resize(4, 2);
  EXPECT_EQ(b.rows(), 4);
  b(3, 1) = 2.0F;
  EXPECT_EQ(b(3, 1), 2.0F);
}

TEST(MatrixTest, NegativeSizeFailsAsAllocation) { EXPECT_THROW(Matrix(-1, 2), std::bad_alloc); }

TEST(SvdTest, ReproducesTheInput) {
  const std::vector<Rows> cases = {
      {{4.0F, 1.0F, -2.0F}, {1.0F, 3.0F, 0.5F}, {-2.0F, 0.5F, 5.0F}},
      {{1.0F, 2.0F}, {3.0F, 4.0F}, {5.0F, 6.0F}, {7.0F, 8.5F}},
      {{0.1F, 10.0F, -3.0F, 2.0F},
       {7.0F, -1.0F, 0.0F, 0.25F},
       {2.0F, 2.0F, 2.0F, 2.0F},
       {-5.0F, 0.0F, 1.0F, 9.0F}},
      {{1.0F, 2.0F}, {2.0F, 4.0F}},
      {{0.0F, 0.0F}, {0.0F, 0.0F}},
      {{3.0F}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const Matrix input = fromRows(cases[i]);
    Matrix u(input);
    std::vector<float> w;
    Matrix v;
    ASSERT_TRUE(decompose(u, w, v));
    ASSERT_EQ(w.size(), static_cast<std::size_t>(input.cols()));
    ASSERT_EQ(v.rows(), input.cols());
    ASSERT_EQ(v.cols(), input.cols());
    for (const float value : w) EXPECT_GE(value, 0.0F);
    EXPECT_LT(largestReconstructionError(input, u, w, v), 1e-5 * 16.0);
  }
}

TEST(SvdTest, SingularValuesAreLeftUnsorted) {
  Matrix a = fromRows({{-2.0F, 0.0F}, {0.0F, 3.0F}});
  const Matrix input(a);
  std::vector<float> w;
  Matrix v;
  ASSERT_TRUE(decompose(a, w, v));
  EXPECT_EQ(w[0], 2.0F);
  EXPECT_EQ(w[1], 3.0F);
  EXPECT_EQ(largestReconstructionError(input, a, w, v), 0.0);
}

TEST(SvdTest, NotANumberNeverConverges) {
  Matrix a = fromRows({{std::numeric_limits<float>::quiet_NaN(), 1.0F}, {1.0F, 2.0F}});
  std::vector<float> w;
  Matrix v;
  EXPECT_FALSE(decompose(a, w, v));
}

TEST(InverseTest, IdentityIsItsOwnInverseExactly) {
  for (std::int32_t n = 1; n <= 5; ++n) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(sameBits(inverseOf(identity(n)), identity(n)));
  }
}

TEST(InverseTest, OneByOneIsTheReciprocal) {
  for (const float a : {2.0F, -4.0F, 3.0F, 0.1F, -7.5F, 1e-20F}) {
    SCOPED_TRACE(a);
    EXPECT_EQ(inverseOf(fromRows({{a}}))(0, 0), 1.0F / a);
  }
}

TEST(InverseTest, ZeroMatrixGivesZeroMatrix) {
  for (std::int32_t n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    const Matrix inverse = inverseOf(Matrix(n, n, 0.0F));
    EXPECT_TRUE(sameBits(inverse, Matrix(n, n, 0.0F)));
  }
}

TEST(InverseTest, SingularMatrixGivesHugeElementsInsteadOfFailing) {
  const Matrix inverse = inverseOf(fromRows({{1.0F, 2.0F}, {2.0F, 4.0F}}));
  float largest = 0.0F;
  for (std::int32_t c = 0; c < 2; ++c) {
    for (std::int32_t r = 0; r < 2; ++r) largest = std::max(largest, std::abs(inverse(r, c)));
  }
  EXPECT_GT(largest, 1e5F);
}

TEST(InverseTest, WellConditionedMatrixTimesItsInverseIsNearIdentity) {
  const Matrix a = fromRows({{4.0F, 1.0F, -2.0F}, {1.0F, 3.0F, 0.5F}, {-2.0F, 0.5F, 5.0F}});
  const Matrix inverse = inverseOf(a);
  for (std::int32_t c = 0; c < 3; ++c) {
    for (std::int32_t r = 0; r < 3; ++r) {
      // In double, so that only the inverse's own error is measured.
      double product = 0.0;
      for (std::int32_t k = 0; k < 3; ++k) {
        product += static_cast<double>(a(r, k)) * static_cast<double>(inverse(k, c));
      }
      EXPECT_NEAR(product, r == c ? 1.0 : 0.0, 1e-5) << r << ", " << c;
    }
  }
}

TEST(InverseTest, NonSquareFailsAndLeavesTheMatrixUnchanged) {
  Matrix a(2, 3, 1.5F);
  const Matrix before(a);
  EXPECT_FALSE(invertInPlace(a));
  EXPECT_TRUE(sameBits(a, before));
  try {
    (void)inverseOf(a);
    FAIL() << "expected an exception";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Matrix inversion failed");
  }
  EXPECT_TRUE(sameBits(a, before));
}

TEST(InverseTest, LeavesItsOperandUnchanged) {
  const Matrix a = fromRows({{4.0F, 1.0F}, {1.0F, 3.0F}});
  const Matrix before(a);
  (void)inverseOf(a);
  EXPECT_TRUE(sameBits(a, before));

  const Matrix broken = fromRows({{std::numeric_limits<float>::quiet_NaN(), 1.0F}, {1.0F, 2.0F}});
  const Matrix brokenBefore(broken);
  EXPECT_THROW((void)inverseOf(broken), MatrixInversionError);
  EXPECT_TRUE(std::isnan(broken(0, 0)));
  EXPECT_TRUE(sameBits(broken, brokenBefore));
}

}  // namespace
}  // namespace duv
