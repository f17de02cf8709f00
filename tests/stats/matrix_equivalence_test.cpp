// The fast decomposition and inverse against the straightforward reference: the same bits in
// U, w, V and the inverse, the same success or failure, for every instruction set the kernels
// can use, on random matrices of every kind (normal matrices of near-collinear designs
// included) and of sizes around the vector widths.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "stats/matrix.h"
#include "tests/reference/instruction_sets.h"
#include "tests/reference/random_designs.h"
#include "tests/reference/reference_matrix.h"
#include "tests/support/matrix_decomposition.h"

namespace duv {
namespace {

using testing::DesignKind;
using testing::kDesignKinds;
using testing::nameOf;
using testing::randomMatrix;
using testing::sameResult;
using reference::operator*;

// The first element whose result differs (bits, NaN aside), or "" when all agree.
std::string firstDifference(const Matrix& actual, const Matrix& expected) {
  if (actual.rows() != expected.rows() || actual.cols() != expected.cols()) return "size";
  for (std::int32_t c = 0; c < expected.cols(); ++c) {
    for (std::int32_t r = 0; r < expected.rows(); ++r) {
      if (!sameResult(actual(r, c), expected(r, c))) {
        return "(" + std::to_string(r) + ", " + std::to_string(c) +
               "): " + std::to_string(actual(r, c)) + " instead of " +
               std::to_string(expected(r, c));
      }
    }
  }
  return "";
}

std::string firstDifference(const std::vector<float>& actual, const reference::Vector& expected) {
  if (actual.size() != static_cast<std::size_t>(expected.size())) return "size";
  for (std::int32_t i = 0; i < expected.size(); ++i) {
    const float value = actual[static_cast<std::size_t>(i)];
    if (!sameResult(value, expected[i])) {
      return "[" + std::to_string(i) + "]: " + std::to_string(value) + " instead of " +
             std::to_string(expected[i]);
    }
  }
  return "";
}

// X^T X of a random design: the matrices the report inverts.
Matrix normalMatrix(std::mt19937& random, DesignKind kind, std::int32_t points,
                    std::int32_t columns) {
  const auto x = randomMatrix(random, kind, points, columns);
  return reference::transpose(x) * x;
}

void expectSameDecomposition(const Matrix& input) {
  Matrix expectedU = input;
  reference::Vector expectedW;
  Matrix expectedV;
  const bool expectedConverged = reference::svd(expectedU, expectedW, expectedV);
  Matrix actualU = input;
  std::vector<float> actualW;
  Matrix actualV;
  const bool actualConverged = testing::decompose(actualU, actualW, actualV);
  ASSERT_EQ(actualConverged, expectedConverged);
  EXPECT_EQ(firstDifference(actualW, expectedW), "") << "w";
  EXPECT_EQ(firstDifference(actualU, expectedU), "") << "U";
  EXPECT_EQ(firstDifference(actualV, expectedV), "") << "V";
}

void expectSameInverse(const Matrix& input) {
  Matrix expected = input;
  const bool expectedInverted = reference::invert(expected);
  Matrix actual = input;
  ASSERT_EQ(testing::invertInPlace(actual), expectedInverted);
  EXPECT_EQ(firstDifference(actual, expected), "") << "inverse";
}

class MatrixEquivalenceTest : public testing::EveryInstructionSet {};

TEST_P(MatrixEquivalenceTest, SquareMatricesGiveTheReferenceDecompositionAndInverse) {
  const std::int32_t sizes[] = {0, 1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 40, 47, 65, 97};
  unsigned seed = 1;
  for (const auto kind : kDesignKinds) {
    for (const auto n : sizes) {
      for (int repeat = 0; repeat < 2; ++repeat, ++seed) {
        std::mt19937 random(seed);
        const auto general = randomMatrix(random, kind, n, n);
        const auto normal = normalMatrix(random, kind, n + 3 * repeat, n);
        SCOPED_TRACE(nameOf(kind) + ", n = " + std::to_string(n) + ", seed " +
                     std::to_string(seed));
        expectSameDecomposition(general);
        expectSameInverse(general);
        expectSameDecomposition(normal);
        expectSameInverse(normal);
        if (HasFailure()) return;
      }
    }
  }
}

TEST_P(MatrixEquivalenceTest, OblongMatricesGiveTheReferenceDecomposition) {
  const std::pair<std::int32_t, std::int32_t> sizes[] = {{1, 3},  {3, 1},  {2, 9},   {9, 2},
                                                         {17, 5}, {5, 17}, {40, 33}, {33, 40}};
  unsigned seed = 500;
  for (const auto kind : kDesignKinds) {
    for (const auto& [m, n] : sizes) {
      std::mt19937 random(++seed);
      SCOPED_TRACE(nameOf(kind) + ", " + std::to_string(m) + " x " + std::to_string(n));
      expectSameDecomposition(randomMatrix(random, kind, m, n));
      expectSameInverse(randomMatrix(random, kind, m, n));
      if (HasFailure()) return;
    }
  }
}

TEST_P(MatrixEquivalenceTest, SpecialMatricesGiveTheReferenceDecompositionAndInverse) {
  const std::vector<Matrix> matrices = [] {
    std::vector<Matrix> list;
    list.emplace_back(4, 4, 0.0F);
    list.emplace_back(9, 9, 1.0F);
    Matrix identity(10, 10, 0.0F);
    for (std::int32_t i = 0; i < 10; ++i) identity(i, i) = 1.0F;
    list.push_back(identity);
    Matrix singular(2, 2);
    singular(0, 0) = 1.0F;
    singular(0, 1) = 2.0F;
    singular(1, 0) = 2.0F;
    singular(1, 1) = 4.0F;
    list.push_back(singular);
    Matrix diagonal(2, 2, 0.0F);
    diagonal(0, 0) = -2.0F;
    diagonal(1, 1) = 3.0F;
    list.push_back(diagonal);
    Matrix withNaN(12, 12, 0.5F);
    withNaN(3, 7) = std::numeric_limits<float>::quiet_NaN();
    list.push_back(withNaN);
    Matrix withInfinity(12, 12, 0.5F);
    withInfinity(5, 5) = std::numeric_limits<float>::infinity();
    list.push_back(withInfinity);
    return list;
  }();
  for (std::size_t i = 0; i < matrices.size(); ++i) {
    SCOPED_TRACE("matrix " + std::to_string(i));
    expectSameDecomposition(matrices[i]);
    expectSameInverse(matrices[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, MatrixEquivalenceTest, testing::everyInstructionSet(),
                         testing::instructionSetName);

}  // namespace
}  // namespace duv
