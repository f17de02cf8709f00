#include "merge/predictors.h"
#include "numerics/column_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "design/rtc_file.h"
#include "tests/support/design_builder.h"

namespace duv {
namespace {

using testing::expectInvariants;
using testing::expectSameMatrix;
using testing::makeMatrix;
using testing::Predictor;
using testing::predictorsOf;
using Names = std::vector<std::string>;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

const Predictor kA{"A", {1, 2, 3}, 10, 20, 30};
const Predictor kB{"B", {3, 1, 2}, 40, 50, 60};
const Predictor kM1{"M1", {0, 1, 0}, 70, 80, 90};
const Predictor kK{"K", {1, 1, 1}, 255, 255, 255};
const Predictor kD{"D", {5, 6, 7}, 1, 2, 3};
const Predictor kM2{"M2", {2, 2, 3}, 4, 5, 6};
const Predictor kK2{"K2", {2, 2, 2}, 7, 8, 9};

TEST(IsConstantColumnTest, NonZeroFirstValueThatEveryValueEquals) {
  struct Case {
    const char* description;
    std::vector<float> column;
    bool expected;
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"one zero", {0}, false},
      {"zeros", {0, 0, 0}, false},
      {"negative zero equals zero", {-0.0F}, false},
      {"negative zero then zero", {-0.0F, 0.0F}, false},
      {"zero then ones", {0, 1, 1}, false},
      {"NaN first", {kNaN}, false},
      {"NaNs", {kNaN, kNaN}, false},
      {"NaN later", {1, kNaN}, false},
      {"one non-zero value", {5}, true},
      {"ones", {1, 1, 1}, true},
      {"negative values", {-2, -2}, true},
      {"tiny values", {1e-30F, 1e-30F}, true},
      {"infinities", {kInfinity, kInfinity}, true},
      {"last differs", {1, 1, 2}, false},
      {"middle differs", {1, 1.0000001F, 1}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    EXPECT_EQ(isConstantColumn(c.column), c.expected);
  }
}

TEST(LastColumnIsConstantTest, LooksAtTheLastPredictorOnly) {
  EXPECT_FALSE(lastColumnIsConstant(DesignMatrix()));
  EXPECT_TRUE(lastColumnIsConstant(makeMatrix("m.sdm", 3, 2, {kA, kK})));
  EXPECT_FALSE(lastColumnIsConstant(makeMatrix("m.sdm", 3, 3, {kK, kA})));
}

TEST(AppendPredictorsTest, MergesMainPredictorsConfoundsAndConstantInTheirGroups) {
  DesignMatrix receiver = makeMatrix("d/sub01_run1.sdm", 3, 3, {kA, kB, kM1, kK});
  receiver.includesConstant.value = true;
  const DesignMatrix other = makeMatrix("e/sub01_run2.sdm", 3, 2, {kD, kM2, kK2});

  appendPredictors(receiver, other);

  EXPECT_EQ(predictorsOf(receiver), (std::vector<Predictor>{kA, kB, kD, kM1, kM2, kK}));
  EXPECT_EQ(receiver.nrOfPredictors.value, 6);
  EXPECT_EQ(receiver.firstConfoundPredictor.value, 4);
  EXPECT_TRUE(receiver.includesConstant.value);
  EXPECT_EQ(receiver.nrOfDataPoints.value, 3);
  EXPECT_EQ(receiver.fileName, "d/sub01_run1_run2.sdm");
  expectInvariants(receiver);
}

TEST(InsertPredictorTest, ColumnOfTheWrongLengthChangesNothing) {
  const DesignMatrix original = makeMatrix("m.sdm", 3, 2, {kA, kM1});
  for (const std::vector<float>& column :
       {std::vector<float>{}, std::vector<float>{1, 2}, std::vector<float>{1, 2, 3, 4}}) {
    for (const bool asConfound : {false, true}) {
      SCOPED_TRACE(::testing::Message() << column.size() << " values, confound " << asConfound);
      DesignMatrix matrix = original;
      insertPredictor(matrix, column, "X", 1, 2, 3, asConfound);
      expectSameMatrix(matrix, original);
    }
  }
}

TEST(InsertPredictorTest, ConstantColumnBehindAConstantLastPredictorIsDropped) {
  const DesignMatrix original = makeMatrix("m.sdm", 3, 2, {kA, kM1, kK});
  for (const bool asConfound : {false, true}) {
    SCOPED_TRACE(asConfound ? "confound" : "main predictor");
    DesignMatrix matrix = original;
    insertPredictor(matrix, kK2.values, kK2.name, kK2.red, kK2.green, kK2.blue, asConfound);
    expectSameMatrix(matrix, original);
  }
}

TEST(InsertPredictorTest, ConfoundGoesInFrontOfAConstantLastPredictor) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kM1, kK});
  insertPredictor(matrix, kD.values, kD.name, kD.red, kD.green, kD.blue, true);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kM1, kD, kK}));
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 2);
  EXPECT_FALSE(matrix.includesConstant.value);
  expectInvariants(matrix);
}

TEST(InsertPredictorTest, ConfoundGoesToTheEndOtherwise) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kM1});
  insertPredictor(matrix, kD.values, kD.name, kD.red, kD.green, kD.blue, true);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kM1, kD}));
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 2);
  expectInvariants(matrix);
}

TEST(InsertPredictorTest, MainPredictorGoesInFrontOfTheFirstConfound) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kM1, kB, kK});
  insertPredictor(matrix, kD.values, kD.name, kD.red, kD.green, kD.blue, false);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kD, kM1, kB, kK}));
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 3);
  expectInvariants(matrix);
}

TEST(InsertPredictorTest, ConstantMainPredictorIsInsertedAndSetsIncludesConstant) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kM1});
  insertPredictor(matrix, kK2.values, kK2.name, kK2.red, kK2.green, kK2.blue, false);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kK2, kM1}));
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 3);
  EXPECT_TRUE(matrix.includesConstant.value);
  expectInvariants(matrix);
}

TEST(InsertPredictorTest, NonConstantColumnNeverClearsIncludesConstant) {
  DesignMatrix matrix = makeMatrix("m.sdm", 3, 2, {kA, kM1});
  matrix.includesConstant.value = true;
  insertPredictor(matrix, kD.values, kD.name, kD.red, kD.green, kD.blue, true);
  EXPECT_TRUE(matrix.includesConstant.value);
}

TEST(InsertPredictorTest, MainPredictorPositionIsClampedIntoTheListsForABoundaryOutOfRange) {
  struct Case {
    std::int32_t nrOfPredictors;
    std::int32_t firstConfoundPredictor;
    Names expectedNames;
    std::int32_t expectedFirstConfound;
  };
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  const Case cases[] = {
      {3, 0, {"D", "A", "B", "M1"}, 2},    {3, -5, {"D", "A", "B", "M1"}, 2},
      {3, kMin, {"D", "A", "B", "M1"}, 2}, {3, 5, {"A", "B", "M1", "D"}, 5},
      {3, kMax, {"A", "B", "M1", "D"}, 5}, {10, 2, {"D", "A", "B", "M1"}, 2},
      {kMin, 2, {"A", "B", "M1", "D"}, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "nrOfPredictors " << c.nrOfPredictors
                                      << ", firstConfoundPredictor " << c.firstConfoundPredictor);
    DesignMatrix matrix = makeMatrix("m.sdm", 3, c.firstConfoundPredictor, {kA, kB, kM1});
    matrix.nrOfPredictors.value = c.nrOfPredictors;
    insertPredictor(matrix, kD.values, kD.name, kD.red, kD.green, kD.blue, false);
    EXPECT_EQ(matrix.predictorNames, c.expectedNames);
    EXPECT_EQ(matrix.firstConfoundPredictor.value, c.expectedFirstConfound);
    expectInvariants(matrix);
  }
}

TEST(AppendPredictorsTest, ReceiverWithoutConfoundsGetsMainPredictorsThenConfoundsAtItsEnd) {
  DesignMatrix receiver = makeMatrix("r.sdm", 3, 3, {kA, kB});
  const DesignMatrix other = makeMatrix("o.sdm", 3, 3, {kD, kM2, kM1});
  appendPredictors(receiver, other);
  EXPECT_EQ(receiver.predictorNames, (Names{"A", "B", "D", "M2", "M1"}));
  EXPECT_EQ(receiver.firstConfoundPredictor.value, 5);
  expectInvariants(receiver);
}

TEST(AppendPredictorsTest, MainPredictorsLandBehindTheConstantOfAReceiverWithoutConfounds) {
  // The constant K is a main predictor here. Once D stands behind it the last predictor is no
  // longer constant, so the other's constant K2 is then inserted too.
  DesignMatrix receiver = makeMatrix("r.sdm", 3, 3, {kA, kK});
  const DesignMatrix other = makeMatrix("o.sdm", 3, 2, {kD, kK2});
  appendPredictors(receiver, other);
  EXPECT_EQ(receiver.predictorNames, (Names{"A", "K", "D", "K2"}));
  EXPECT_EQ(receiver.firstConfoundPredictor.value, 4);
  EXPECT_TRUE(receiver.includesConstant.value);
  expectInvariants(receiver);
}

TEST(AppendPredictorsTest, TimeCourseFileIsAppendedAsConfounds) {
  RtcFile rtc;
  rtc.fileName = "x/motion.rtc";
  rtc.nrOfPredictors.value = 2;
  rtc.nrOfDataPoints.value = 3;
  rtc.predictorNames = {"tx", "ty"};
  rtc.values = {{0.5F, 0.25F, 0}, {1, 0, -1}};
  const auto other = designOfRtc(std::move(rtc));
  const DesignMatrix base = makeMatrix("d/run1.sdm", 3, 2, {kA, kM1, kK});

  const DesignMatrix merged = mergedCopy(base, other);

  EXPECT_EQ(predictorsOf(merged), (std::vector<Predictor>{kA,
                                                          kM1,
                                                          {"tx", {0.5F, 0.25F, 0}, 255, 255, 255},
                                                          {"ty", {1, 0, -1}, 255, 255, 255},
                                                          kK}));
  EXPECT_EQ(merged.firstConfoundPredictor.value, 2);
  EXPECT_EQ(merged.fileName, "d/run1_motion.sdm");
  expectInvariants(merged);
}

TEST(AppendPredictorsTest, DifferentDataPointCountsInsertNothingButStillExtendTheName) {
  DesignMatrix receiver = makeMatrix("run1.sdm", 3, 2, {kA, kM1});
  const DesignMatrix other = makeMatrix("run2.sdm", 2, 1, {{"X", {1, 2}}});
  appendPredictors(receiver, other);
  EXPECT_EQ(predictorsOf(receiver), (std::vector<Predictor>{kA, kM1}));
  EXPECT_EQ(receiver.nrOfPredictors.value, 2);
  EXPECT_EQ(receiver.firstConfoundPredictor.value, 2);
  EXPECT_EQ(receiver.fileName, "run1_run2.sdm");
}

TEST(AppendPredictorsTest, EqualNamesBothStay) {
  DesignMatrix receiver = makeMatrix("r.sdm", 3, 2, {kA, kM1});
  appendPredictors(receiver, makeMatrix("o.sdm", 3, 1, {{"M1", {7, 8, 9}}}));
  EXPECT_EQ(receiver.predictorNames, (Names{"A", "M1", "M1"}));
}

TEST(AppendPredictorsTest, MatrixCanReceiveItsOwnPredictors) {
  DesignMatrix matrix = makeMatrix("s_1.sdm", 3, 2, {kA, kM1});
  appendPredictors(matrix, matrix);
  EXPECT_EQ(predictorsOf(matrix), (std::vector<Predictor>{kA, kA, kM1, kM1}));
  EXPECT_EQ(matrix.firstConfoundPredictor.value, 3);
  EXPECT_EQ(matrix.fileName, "s_1_1.sdm");
  expectInvariants(matrix);
}

TEST(MergedCopyTest, LeavesBothSourcesUnchangedAndKeepsTheHeaderLayout) {
  DesignMatrix base = makeMatrix("d/sub01_run1.sdm", 3, 3, {kA, kB, kM1, kK});
  base.nrOfPredictors.width = 17;
  base.fileVersion.present = false;
  const DesignMatrix baseBefore = base;
  const DesignMatrix other = makeMatrix("e/sub01_run2.sdm", 3, 2, {kD, kM2, kK2});
  const DesignMatrix otherBefore = other;

  const DesignMatrix merged = mergedCopy(base, other);

  expectSameMatrix(base, baseBefore);
  expectSameMatrix(other, otherBefore);
  EXPECT_EQ(merged.predictorNames, (Names{"A", "B", "D", "M1", "M2", "K"}));
  EXPECT_EQ(merged.nrOfPredictors.label, "NrOfPredictors");
  EXPECT_EQ(merged.nrOfPredictors.width, 17);
  EXPECT_FALSE(merged.fileVersion.present);
  EXPECT_EQ(merged.fileName, "d/sub01_run1_run2.sdm");
}

TEST(MergedFileNameTest, SuffixStartsAtTheLastSeparatorBehindWhichBothNamesAgree) {
  struct Case {
    const char* receiver;
    const char* other;
    const char* expected;
  };
  const Case cases[] = {
      {"sub01_run1.sdm", "sub01_run2.sdm", "sub01_run1_run2.sdm"},
      {"subj1_task_run1.sdm", "subj2_task_run2.sdm", "subj1_task_run1_subj2_task_run2.sdm"},
      {"abc.sdm", "xyz.sdm", "abc_xyz.sdm"},
      {"abc.sdm", "_b.sdm", "abc_b.sdm"},
      {"abc.sdm", ".sdm", "abc_.sdm"},
      {"abc.sdm", "", "abc_.sdm"},
      {"abc.sdm", "dir/", "abc_.sdm"},
      {"my run1.sdm", "my run2.sdm", "my run1 run2.sdm"},
      {"a_b c.sdm", "a_b d.sdm", "a_b c d.sdm"},
      {"s.sdm", "s_long_x.sdm", "s_long_x.sdm"},
      {"sub_1.sdm", "sub_1.sdm", "sub_1_1.sdm"},
      {"C:\\data/sub01_run1.sdm", "D:/other\\sub01_run2.sdm", "C:\\data/sub01_run1_run2.sdm"},
      {"results/run1", "run2.sdm", "results/run1_run2"},
      {"data.old/run1", "run2.sdm", "data_run2.old/run1"},
      {"a.b.sdm", "c.rtc.sdm", "a.b_c.rtc.sdm"},
      {"x_1.sdm", "a_b.dir/x_2.sdm", "x_1_2.sdm"},
      {"", "b.sdm", "_b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.receiver << " + " << c.other);
    DesignMatrix receiver = makeMatrix(c.receiver, 0, 1, {});
    appendPredictors(receiver, makeMatrix(c.other, 0, 1, {}));
    EXPECT_EQ(receiver.fileName, c.expected);
  }
}

TEST(MergedFileNameTest, SuffixesPileUpInAChainOfMerges) {
  DesignMatrix result = makeMatrix("out/s_1.sdm", 3, 1, {});
  appendPredictors(result, makeMatrix("in/s_2.sdm", 3, 1, {}));
  appendPredictors(result, makeMatrix("in/s_3.sdm", 3, 1, {}));
  EXPECT_EQ(result.fileName, "out/s_1_2_3.sdm");
}

}  // namespace
}  // namespace duv
