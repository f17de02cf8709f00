// The reference's own helpers of the fits on their own.

#include "tests/reference/reference_statistics.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace duv::reference {
namespace {

TEST(ReferenceRegressorsTest, RemovingAColumnMovesTheLaterOnesForward) {
  Matrix m(2, 3);
  for (std::int32_t c = 0; c < 3; ++c) {
    for (std::int32_t r = 0; r < 2; ++r) m(r, c) = static_cast<float>(10 * c + r);
  }
  const Matrix removed = removeColumn(m, 1);
  ASSERT_EQ(removed.rows(), 2);
  ASSERT_EQ(removed.cols(), 2);
  EXPECT_EQ(removed(1, 0), 1.0F);
  EXPECT_EQ(removed(0, 1), 20.0F);
  EXPECT_EQ(removed(1, 1), 21.0F);
}

TEST(ReferenceRegressorsTest, RemovingTheFirstOrLastColumn) {
  Matrix m(1, 3);
  for (std::int32_t c = 0; c < 3; ++c) m(0, c) = static_cast<float>(c);
  const Matrix withoutFirst = removeColumn(m, 0);
  ASSERT_EQ(withoutFirst.cols(), 2);
  EXPECT_EQ(withoutFirst(0, 0), 1.0F);
  EXPECT_EQ(withoutFirst(0, 1), 2.0F);
  const Matrix withoutLast = removeColumn(m, 2);
  ASSERT_EQ(withoutLast.cols(), 2);
  EXPECT_EQ(withoutLast(0, 0), 0.0F);
  EXPECT_EQ(withoutLast(0, 1), 1.0F);
  EXPECT_EQ(removeColumn(Matrix(4, 1, 1.0F), 0).cols(), 0);
}

}  // namespace
}  // namespace duv::reference
