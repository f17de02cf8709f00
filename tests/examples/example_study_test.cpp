#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "check/contrast_expression.h"
#include "check/contrasts.h"
#include "check/design_check.h"
#include "design/confound_file.h"
#include "design/confound_table.h"
#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/motion_input.h"
#include "design/rtc_file.h"
#include "design/sdm_reader.h"
#include "numerics/framewise_displacement.h"
#include "numerics/motion_summary.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

fs::path examples() { return fs::path(testing::sourceDir()) / "examples"; }

TEST(ExampleStudyTest, GeneratorReproducesTheCommittedFilesByteForByte) {
  testing::TempDir dir;
  const std::string command = std::string(MAKE_EXAMPLES) + " --out " + dir.path().string();
  ASSERT_EQ(std::system(command.c_str()), 0);
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (!entry.is_regular_file()) continue;
    const auto relative = fs::relative(entry.path(), dir.path());
    SCOPED_TRACE(relative.string());
    EXPECT_EQ(testing::readText(entry.path().string()),
              testing::readText((examples() / relative).string()));
    ++compared;
  }
  EXPECT_EQ(compared, 40);
}

TEST(ExampleStudyTest, EveryGoodInputReadsWithTheStudysDataPoints) {
  const auto task = readSdmFile((examples() / "sub01_task.sdm").string(), realFileSystem());
  EXPECT_EQ(task.nrOfPredictors.value, 5);
  EXPECT_EQ(task.firstConfoundPredictor.value, 5);
  EXPECT_TRUE(task.includesConstant.value);
  for (const char* name :
       {"sub01_motion_run1.sdm", "sub01_motion_run2.sdm", "sub01_motion_run3.sdm"}) {
    const auto motion = readSdmFile((examples() / name).string(), realFileSystem());
    EXPECT_EQ(motion.nrOfDataPoints.value, task.nrOfDataPoints.value) << name;
    EXPECT_EQ(motion.firstConfoundPredictor.value, 1) << name;
  }
  for (const char* name : {"sub01_physio.rtc", "sub01_drift.rtc"}) {
    const auto course = designOfRtc(RtcFile((examples() / name).string()));
    EXPECT_EQ(course.nrOfDataPoints.value, task.nrOfDataPoints.value) << name;
  }
  for (const char* name : {"sub01_desc-confounds_timeseries.tsv", "sub01_bold_mcf.par",
                           "sub01_rp_run1.txt", "sub01_motion.1D"}) {
    ConfoundOptions options;
    options.selection = {parseConfoundSelector("*")};
    const auto input = readConfoundFile((examples() / name).string(), options, realFileSystem());
    EXPECT_EQ(input.matrix.nrOfDataPoints.value, task.nrOfDataPoints.value) << name;
  }
  const auto shortRun =
      readSdmFile((examples() / "bad" / "sub01_motion_short.sdm").string(), realFileSystem());
  EXPECT_NE(shortRun.nrOfDataPoints.value, task.nrOfDataPoints.value);
}

// The table holds what the pipelines write: "n/a" exactly where a difference has no preceding
// volume, and the spike columns marking the volumes that moved abruptly.
TEST(ExampleStudyTest, TheStudysContrastsAreEstimableOnItsTaskDesign) {
  const auto path = (examples() / "sub01_contrasts.tsv").string();
  const auto contrasts = readContrasts(testing::readText(path), path);
  ASSERT_EQ(contrasts.size(), 4U);
  EXPECT_EQ(contrasts.back().name, "first-second");
  const auto task = readSdmFile((examples() / "sub01_task.sdm").string(), realFileSystem());
  const auto check = checkDesign(task, {});
  for (const auto& contrast : contrasts) {
    const auto result = checkContrast(contrast, check, {});
    EXPECT_TRUE(result.estimable()) << contrast.name;
    EXPECT_FALSE(result.level) << contrast.name;
  }
}

TEST(ExampleStudyTest, ConfoundTableHasThePipelinesLayout) {
  const auto table = readConfoundTableFile(
      (examples() / "sub01_desc-confounds_timeseries.tsv").string(), realFileSystem());
  EXPECT_EQ(table.rows, 240U);
  std::size_t withoutValue = 0;
  for (std::size_t c = 0; c < table.names.size(); ++c) {
    const auto& name = table.names[c];
    const bool difference = name.find("_derivative1") != std::string::npos ||
                            name == "framewise_displacement" || name == "dvars";
    EXPECT_EQ(std::isnan(table.columns[c][0]), difference) << name;
    for (std::size_t t = 1; t < table.rows; ++t) {
      ASSERT_FALSE(std::isnan(table.columns[c][t])) << name << " row " << t;
    }
    if (difference) ++withoutValue;
  }
  EXPECT_EQ(withoutValue, 2U + 2 * 9);  // dvars, displacement; 9 signals with 2 variants each
  ConfoundOptions outliers;
  outliers.selection = {parseConfoundSelector("outliers")};
  const auto spikes = readConfoundFile(
      (examples() / "sub01_desc-confounds_timeseries.tsv").string(), outliers, realFileSystem());
  EXPECT_EQ(spikes.matrix.predictorNames,
            (std::vector<std::string>{"non_steady_state_outlier00", "motion_outlier00",
                                      "motion_outlier01"}));
}

std::vector<double> displacementOf(const char* name) {
  const auto path = (examples() / name).string();
  return framewiseDisplacement(
      readMotionInputFile(path, motionLayoutOf(path), 0, realFileSystem()));
}

void expectNear(const std::vector<double>& found, const std::vector<double>& expected,
                double tolerance) {
  ASSERT_EQ(found.size(), expected.size());
  for (std::size_t t = 0; t < found.size(); ++t) {
    EXPECT_NEAR(found[t], expected[t], tolerance) << "volume " << t + 1;
  }
}

// Every motion input of the study gives a displacement per volume: the three realignment files
// hold one motion (the 1D file to four decimals: 1e-3 mm), the table's parameters give its own
// framewise_displacement column (to 1e-4 mm), and the broken design holds its six among task
// predictors.
TEST(ExampleStudyTest, EveryMotionInputGivesItsFramewiseDisplacement) {
  for (const char* name : {"sub01_motion_run1.sdm", "sub01_motion_run2.sdm",
                           "sub01_motion_run3.sdm", "bad/sub01_task_motion_broken.sdm"}) {
    EXPECT_EQ(displacementOf(name).size(), 240U) << name;
  }
  const auto realigned = displacementOf("sub01_bold_mcf.par");
  expectNear(displacementOf("sub01_rp_run1.txt"), realigned, 1e-5);
  expectNear(displacementOf("sub01_motion.1D"), realigned, 1e-3);

  const auto tablePath = (examples() / "sub01_desc-confounds_timeseries.tsv").string();
  const auto table = readConfoundTableFile(tablePath, realFileSystem());
  const auto column = std::find(table.names.begin(), table.names.end(), "framewise_displacement");
  ASSERT_NE(column, table.names.end());
  auto expected = table.columns[static_cast<std::size_t>(column - table.names.begin())];
  expected[0] = 0;
  expectNear(displacementOf("sub01_desc-confounds_timeseries.tsv"),
             std::vector<double>(expected.begin(), expected.end()), 1e-4);
  // The volumes above the spike threshold are those the table's spike columns mark.
  std::vector<std::size_t> marked;
  for (std::size_t c = 0; c < table.names.size(); ++c) {
    if (table.names[c].rfind("motion_outlier", 0) != 0) continue;
    const auto& spike = table.columns[c];
    marked.push_back(
        static_cast<std::size_t>(std::find(spike.begin(), spike.end(), 1.0F) - spike.begin()));
  }
  EXPECT_EQ(marked.size(), 2U);
  EXPECT_EQ(summarizeMotion(displacementOf("sub01_desc-confounds_timeseries.tsv")).flaggedVolumes,
            marked);
}

TEST(ExampleStudyTest, CompactLayoutReadsEveryValueAsItsText) {
  const auto path = (examples() / "sub01_motion_run3.sdm").string();
  const auto motion = readSdmFile(path, realFileSystem());
  std::istringstream rows(testing::readText(path));
  std::string line;
  for (int skip = 0; skip < 9; ++skip) std::getline(rows, line);
  int touching = 0;
  for (std::size_t t = 0; std::getline(rows, line); ++t) {
    for (std::size_t p = 0; p < 6; ++p) {
      const auto field = line.substr(12 * p, 12);
      if (p > 0 && field[0] == '-' && line[12 * p - 1] != ' ') ++touching;
      ASSERT_EQ(motion.values[p][t], static_cast<float>(std::strtod(field.c_str(), nullptr)))
          << line;
    }
  }
  EXPECT_GT(touching, 10);
}

}  // namespace
}  // namespace duv
