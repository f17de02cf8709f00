#pragma once

// Runs a parameterised test once for every instruction set the vector kernels can use, the
// processor permitting, restoring the set chosen at start afterwards.

#include <gtest/gtest.h>

#include <string>

#include "stats/vector_kernels.h"

namespace duv::testing {

class EveryInstructionSet : public ::testing::TestWithParam<kernels::InstructionSet> {
 protected:
  void SetUp() override {
    if (!kernels::useInstructionSet(GetParam())) GTEST_SKIP() << "not supported here";
  }
  void TearDown() override { kernels::useInstructionSet(original_); }

 private:
  kernels::InstructionSet original_ = kernels::activeInstructionSet();
};

inline std::string instructionSetName(
    const ::testing::TestParamInfo<kernels::InstructionSet>& instructionSet) {
  return instructionSet.param == kernels::InstructionSet::baseline ? "Baseline" : "Avx2";
}

inline auto everyInstructionSet() {
  return ::testing::Values(kernels::InstructionSet::baseline, kernels::InstructionSet::avx2);
}

}  // namespace duv::testing
