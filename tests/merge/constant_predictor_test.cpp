#include "merge/constant_predictor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/design_builder.h"

namespace duv {
namespace {

using testing::expectInvariants;
using testing::expectSameMatrix;
using testing::makeMatrix;
using testing::Predictor;
using testing::predictorsOf;

const Predictor kA{"A", {1, 2, 3}, 10, 20, 30};
const Predictor kC{"C", {3, 1, 2}, 40, 50, 60};
const Predictor kZeros{"Z", {0, 0, 0}, 1, 2, 3};
const Predictor kFives{"Baseline", {5, 5, 5}, 7, 8, 9};
const Predictor kAdded{"Constant", {1, 1, 1}, 255, 255, 255};

TEST(EnsureConstantTest, AddsConstantBehindANonConstantLastPredictor) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kC});
  ensureConstant(matrix);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kC, kAdded}));
  EXPECT_EQ(matrix.nrOfPredictors.value, 3);
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 2);
  EXPECT_TRUE(matrix.includesConstant.value);
  expectInvariants(matrix);
}

TEST(EnsureConstantTest, AddedConstantIsTheFirstConfoundOfAMatrixWithoutConfounds) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 3, {kA, kC});
  ensureConstant(matrix);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kC, kAdded}));
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 3);
  expectInvariants(matrix);
}

TEST(EnsureConstantTest, KeepsAConstantLastPredictorOfAnyValueAndName) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kFives});
  DesignMatrix expected = matrix;
  expected.includesConstant.value = true;
  ensureConstant(matrix);
  expectSameMatrix(matrix, expected);
}

TEST(EnsureConstantTest, ConstantPredictorThatIsNotLastDoesNotCount) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kFives, kA});
  ensureConstant(matrix);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kFives, kA, kAdded}));
  expectInvariants(matrix);
}

TEST(EnsureConstantTest, LastPredictorOfZerosIsNotConstant) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kZeros});
  ensureConstant(matrix);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kZeros, kAdded}));
  expectInvariants(matrix);
}

TEST(EnsureConstantTest, NegativeDataPointCountAddsNothing) {
  DesignMatrix matrix = makeMatrix("m.sdm", -1, 1, {});
  ensureConstant(matrix);
  EXPECT_TRUE(matrix.values.empty());
  EXPECT_EQ(matrix.nrOfPredictors.value, 0);
  EXPECT_TRUE(matrix.includesConstant.value);
}

TEST(RemoveConstantTest, KeepsANonConstantLastPredictorAndOnlyClearsTheFlag) {
  for (const Predictor& last : {kC, kZeros}) {
    SCOPED_TRACE(last.name);
    DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, last});
    matrix.includesConstant.value = true;
    DesignMatrix expected = matrix;
    expected.includesConstant.value = false;
    removeConstant(matrix);
    expectSameMatrix(matrix, expected);
  }
}

TEST(RemoveConstantTest, RemovesAConstantLastPredictorWithItsNameAndColour) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kC, kFives});
  matrix.includesConstant.value = true;
  removeConstant(matrix);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kC}));
  EXPECT_EQ(matrix.nrOfPredictors.value, 2);
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 2);
  EXPECT_FALSE(matrix.includesConstant.value);
  expectInvariants(matrix);
}

TEST(RemoveConstantTest, ConstantPredictorThatIsNotLastIsNeverRemoved) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kFives, kA});
  const auto before = predictorsOf(matrix);
  removeConstant(matrix);
  EXPECT_EQ(predictorsOf(matrix), before);
}

TEST(RemoveConstantTest, RemovingTheOnlyConfoundLeavesNoConfounds) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 3, {kA, kC, kAdded});
  removeConstant(matrix);
  EXPECT_EQ(matrix.nrOfPredictors.value, 2);
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 3);
  expectInvariants(matrix);
}

TEST(RemoveConstantTest, RemovingAConstantMainPredictorKeepsTheBoundaryInRange) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 3, {kA, kAdded});
  removeConstant(matrix);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA}));
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 2);
  expectInvariants(matrix);

  DesignMatrix single = makeMatrix("m.sdm", 3, 2, {kAdded});
  removeConstant(single);
  EXPECT_TRUE(single.values.empty());
  EXPECT_EQ(single.firstConfoundPredictor.value, 1);
  expectInvariants(single);
}

TEST(BaselineTest, EnsureThenRemoveGivesBackTheMatrixWithTheFlagCleared) {
  const DesignMatrix original = makeMatrix("m.sdm", 3, 2, {kA, kC});
  DesignMatrix matrix = original;
  ensureConstant(matrix);
  ensureConstant(matrix);
  EXPECT_EQ(matrix.nrOfPredictors.value, 3);
  removeConstant(matrix);
  expectSameMatrix(matrix, original);
}

}  // namespace
}  // namespace duv
