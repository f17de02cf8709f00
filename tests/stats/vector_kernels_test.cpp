#include "stats/vector_kernels.h"

#include <gtest/gtest.h>

namespace duv::kernels {
namespace {

// The set the kernels chose for themselves, read before any test could choose another.
const InstructionSet startSet = activeInstructionSet();

// Each test leaves the kernels on the set it found.
class InstructionSetChoice : public ::testing::Test {
 protected:
  void TearDown() override { useInstructionSet(found_); }

 private:
  InstructionSet found_ = activeInstructionSet();
};

TEST_F(InstructionSetChoice, TheBaselineIsAlwaysThere) {
  ASSERT_TRUE(useInstructionSet(InstructionSet::baseline));
  EXPECT_EQ(activeInstructionSet(), InstructionSet::baseline);
}

TEST_F(InstructionSetChoice, ASetThereBecomesActiveAndAnAbsentOneChangesNothing) {
  ASSERT_TRUE(useInstructionSet(InstructionSet::baseline));
  if (useInstructionSet(InstructionSet::avx2)) {
    EXPECT_EQ(activeInstructionSet(), InstructionSet::avx2);
  } else {
    EXPECT_EQ(activeInstructionSet(), InstructionSet::baseline);
  }
}

TEST_F(InstructionSetChoice, TheKernelsStartOnTheWidestSetThere) {
  const bool avx2 = useInstructionSet(InstructionSet::avx2);
  EXPECT_EQ(startSet, avx2 ? InstructionSet::avx2 : InstructionSet::baseline);
}

TEST_F(InstructionSetChoice, ASetTheDispatchDoesNotKnowIsRefused) {
  ASSERT_TRUE(useInstructionSet(InstructionSet::baseline));
  EXPECT_FALSE(useInstructionSet(static_cast<InstructionSet>(99)));
  EXPECT_EQ(activeInstructionSet(), InstructionSet::baseline);
}

}  // namespace
}  // namespace duv::kernels
