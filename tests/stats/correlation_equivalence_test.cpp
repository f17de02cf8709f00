// The correlation table and the coefficients computed together against the straightforward
// reference, pair by pair: the same bits and the same text, for every instruction set.

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "stats/column_table.h"
#include "stats/correlation.h"
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

class CorrelationEquivalenceTest : public testing::EveryInstructionSet {};

std::string tableOf(const DesignMatrix& design) {
  std::ostringstream out;
  writeCorrelationTable(design, out);
  return out.str();
}

std::string referenceTableOf(const DesignMatrix& design) {
  std::ostringstream out;
  reference::writeCorrelationTable(design, out);
  return out.str();
}

void expectSameCoefficients(const DesignMatrix& design) {
  const auto correlations = absoluteCorrelations(design);
  const auto count = design.values.size();
  ASSERT_EQ(correlations.size(), count * count);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = 0; j < count; ++j) {
      const float expected = std::abs(reference::correlation(design.values[i], design.values[j]));
      ASSERT_TRUE(sameResult(correlations[i * count + j], expected))
          << "(" << i << ", " << j << "): " << correlations[i * count + j] << " instead of "
          << expected;
    }
  }
}

void expectSameStatistics(const DesignMatrix& design) {
  std::vector<const float*> columns;
  for (const auto& column : design.values) columns.push_back(column.data());
  const auto rows = design.values.empty() ? 0 : design.values.front().size();
  const auto statistics = ColumnTable(columns, rows).statistics();
  for (std::size_t p = 0; p < design.values.size(); ++p) {
    const auto expected = reference::meanAndDeviation(design.values[p]);
    EXPECT_TRUE(sameResult(statistics[p].mean, expected.mean)) << "mean of " << p;
    EXPECT_TRUE(sameResult(statistics[p].deviation, expected.deviation)) << "deviation of " << p;
  }
}

TEST_P(CorrelationEquivalenceTest, RandomDesignsGiveTheReferenceCoefficientsAndTable) {
  const std::int32_t predictorCounts[] = {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 24, 33, 50};
  const std::int32_t pointCounts[] = {0, 1, 2, 3, 7, 8, 9, 31, 127, 128, 129, 300};
  unsigned seed = 1;
  for (const auto kind : kDesignKinds) {
    for (const auto predictors : predictorCounts) {
      for (const auto points : pointCounts) {
        std::mt19937 random(++seed);
        const auto design = randomDesign(random, kind, predictors, points);
        SCOPED_TRACE(nameOf(kind) + ", " + std::to_string(predictors) + " x " +
                     std::to_string(points) + ", seed " + std::to_string(seed));
        expectSameStatistics(design);
        expectSameCoefficients(design);
        EXPECT_EQ(tableOf(design), referenceTableOf(design));
        if (HasFailure()) return;
      }
    }
  }
}

TEST_P(CorrelationEquivalenceTest, ColumnsOfDifferentLengthsGiveTheReferenceTable) {
  std::mt19937 random(7);
  auto design = randomDesign(random, DesignKind::independent, 6, 20);
  design.values[2].resize(19);
  design.values[4].push_back(0.5F);
  expectSameCoefficients(design);
  EXPECT_EQ(tableOf(design), referenceTableOf(design));
}

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, CorrelationEquivalenceTest,
                         testing::everyInstructionSet(), testing::instructionSetName);

}  // namespace
}  // namespace duv
