#include "numerics/motion_spikes.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/expect_error.h"

namespace duv {
namespace {

TEST(MotionSpikesTest, SpikesAreNamedAsPipelinesNameThem) {
  const char* const names[] = {"motion_outlier00", "motion_outlier07", "motion_outlier99",
                               "motion_outlier100", "motion_outlier1234"};
  const std::size_t numbers[] = {0, 7, 99, 100, 1234};
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(spikeColumnName(numbers[k]), names[k]);
}

// A task predictor, a confound and, with `constant`, a constant last predictor; 4 data points.
DesignMatrix design(bool constant) {
  DesignMatrix m;
  m.fileName = "run1.sdm";
  m.nrOfDataPoints.value = 4;
  m.firstConfoundPredictor.value = 2;
  m.predictorNames = {"Task", "Drift"};
  m.values = {{1, 0, 1, 0}, {0.1F, 0.2F, 0.3F, 0.4F}};
  if (constant) {
    m.predictorNames.emplace_back("Constant");
    m.values.emplace_back(4, 1.0F);
  }
  m.nrOfPredictors.value = static_cast<std::int32_t>(m.values.size());
  m.colorRed = m.colorGreen = m.colorBlue = std::vector<std::int32_t>(m.values.size(), 7);
  return m;
}

TEST(MotionSpikesTest, SpikesAreConfoundsInFrontOfAConstantLastPredictor) {
  for (const bool constant : {true, false}) {
    SCOPED_TRACE(constant ? "constant last" : "no constant");
    auto m = design(constant);
    appendSpikeColumns(m, {3, 1});
    auto names = design(constant).predictorNames;
    names.insert(names.begin() + 2, {"motion_outlier00", "motion_outlier01"});
    auto values = design(constant).values;
    values.insert(values.begin() + 2, {{0, 0, 0, 1}, {0, 1, 0, 0}});
    std::vector<std::int32_t> colours(names.size(), 7);
    colours[2] = colours[3] = 255;
    EXPECT_EQ(m.predictorNames, names);
    EXPECT_EQ(m.values, values);
    EXPECT_EQ(m.colorRed, colours);
    EXPECT_EQ(m.colorGreen, colours);
    EXPECT_EQ(m.colorBlue, colours);
    EXPECT_EQ(m.nrOfPredictors.value, static_cast<std::int32_t>(names.size()));
    EXPECT_EQ(m.firstConfoundPredictor.value, 2);
  }
}

TEST(MotionSpikesTest, VolumesOutsideTheDesignOrFlaggedTwiceChangeNothing) {
  const std::pair<std::vector<std::size_t>, std::string> cases[] = {
      {{1, 4}, "run1.sdm: volume 5 is flagged, but the design has 4 data points"},
      {{1, 3, 1}, "run1.sdm: volume 2 is flagged twice"},
  };
  for (const auto& [flagged, message] : cases) {
    auto m = design(true);
    testing::expectError<std::invalid_argument>([&] { appendSpikeColumns(m, flagged); }, message);
    EXPECT_EQ(m.predictorNames, design(true).predictorNames);
  }
}

}  // namespace
}  // namespace duv
