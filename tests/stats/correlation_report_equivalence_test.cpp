// The report's fast paths against the straightforward reference: the same text byte for byte
// and the same R² bits, on random designs of every kind and of sizes around the vector widths.

#include <gtest/gtest.h>

#include <exception>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "stats/correlation_report.h"
#include "stats/matrix.h"
#include "tests/reference/instruction_sets.h"
#include "tests/reference/random_designs.h"
#include "tests/reference/reference_statistics.h"

namespace duv {
namespace {

using testing::DesignKind;
using testing::kDesignKinds;
using testing::nameOf;
using testing::randomDesign;
using testing::sameResult;

struct ReportRun {
  std::string text;
  bool inversionFailed = false;
};

template <typename Write>
ReportRun run(Write write) {
  std::ostringstream out;
  ReportRun result;
  try {
    write(out);
  } catch (const MatrixInversionError&) {
    result.inversionFailed = true;
  }
  result.text = out.str();
  return result;
}

// Whether the reference failed to invert: the tests count such designs, which must occur.
bool expectSameReport(const DesignMatrix& design, std::size_t workers) {
  const auto expected =
      run([&](std::ostream& out) { reference::writeCorrelationReport(design, out); });
  const auto actual = run([&](std::ostream& out) { writeCorrelationReport(design, out, workers); });
  EXPECT_EQ(actual.inversionFailed, expected.inversionFailed);
  EXPECT_EQ(actual.text, expected.text);
  return expected.inversionFailed;
}

void expectSameRSquared(const DesignMatrix& design, std::size_t workers) {
  std::vector<RSquared> expected;
  bool expectedFailed = false;
  try {
    expected = reference::rSquaredValues(design);
  } catch (const MatrixInversionError&) {
    expectedFailed = true;
  }
  std::vector<RSquared> actual;
  bool actualFailed = false;
  try {
    actual = rSquaredValues(design, workers);
  } catch (const MatrixInversionError&) {
    actualFailed = true;
  }
  ASSERT_EQ(actualFailed, expectedFailed);
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].position, expected[i].position);
    EXPECT_TRUE(sameResult(actual[i].value, expected[i].value))
        << "R² of target " << i << ": " << actual[i].value << " instead of " << expected[i].value;
  }
}

std::string describe(DesignKind kind, std::int32_t predictors, std::int32_t points, unsigned seed) {
  return nameOf(kind) + ", " + std::to_string(predictors) + " predictors x " +
         std::to_string(points) + " points, seed " + std::to_string(seed);
}

class CorrelationReportEquivalenceTest : public testing::EveryInstructionSet {};

TEST_P(CorrelationReportEquivalenceTest, SmallDesignsGiveTheReferenceTextAndRSquaredBits) {
  const std::int32_t predictorCounts[] = {1, 2, 3, 4, 5, 8, 9, 13, 17, 24, 33};
  const std::int32_t pointCounts[] = {0, 1, 2, 3, 7, 8, 9, 16, 17, 31, 64, 65};
  unsigned seed = 1;
  int inversionFailures = 0;
  for (const auto kind : kDesignKinds) {
    for (const auto predictors : predictorCounts) {
      for (const auto points : pointCounts) {
        for (std::size_t workers = 1; workers <= 3; workers += 2, ++seed) {
          std::mt19937 random(seed);
          const auto design = randomDesign(random, kind, predictors, points);
          SCOPED_TRACE(describe(kind, predictors, points, seed) + ", " + std::to_string(workers) +
                       " workers");
          inversionFailures += expectSameReport(design, workers) ? 1 : 0;
          expectSameRSquared(design, workers);
          if (HasFailure()) return;
        }
      }
    }
  }
  EXPECT_GT(inversionFailures, 0);
}

TEST_P(CorrelationReportEquivalenceTest, LargerDesignsGiveTheReferenceTextAndRSquaredBits) {
  const std::pair<std::int32_t, std::int32_t> sizes[] = {{47, 130}, {70, 97}, {81, 203}};
  unsigned seed = 1000;
  for (const auto kind : kDesignKinds) {
    for (const auto& [predictors, points] : sizes) {
      std::mt19937 random(++seed);
      const auto design = randomDesign(random, kind, predictors, points);
      SCOPED_TRACE(describe(kind, predictors, points, seed));
      expectSameReport(design, 2);
      if (HasFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, CorrelationReportEquivalenceTest,
                         testing::everyInstructionSet(), testing::instructionSetName);

}  // namespace
}  // namespace duv
