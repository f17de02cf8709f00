// The check's page opened in a real browser (headless Chromium): it loads without errors, its
// images decode, and the design matrix and the heatmap are drawn where the page says they are.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "design/design_format.h"
#include "design/design_matrix.h"
#include "tests/support/headless_browser.h"
#include "tests/support/png_reader.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

constexpr int kWindowWidth = 1280;

using testing::FigureBox;

class CheckPageBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    browser_ = testing::findChromium();
    if (!browser_) GTEST_SKIP() << "chromium is not installed (scripts/install --test)";
    fs::copy(fs::path(testing::sourceDir()) / "examples", dir_.path() / "examples",
             fs::copy_options::recursive);
  }

  testing::ProcessResult tool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), DUVENDAL_TOOL);
    return testing::runProcess(arguments, dir_.path().string());
  }

  // One start of the browser, with a fresh empty profile.
  testing::ProcessResult browse(const std::string& page, int height,
                                const std::vector<std::string>& what) {
    return testing::runHeadlessBrowser(*browser_, "file://" + dir_.file(page), kWindowWidth, height,
                                       what);
  }

  std::string dom(const std::string& page, int height) {
    const auto result = browse(page, height, {"--dump-dom"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
  }

  testing::DecodedPng screenshot(const std::string& page, int height) {
    const auto shot = dir_.file("shot.png");
    const auto result = browse(page, height, {"--screenshot=" + shot});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return testing::decodePng(testing::readText(shot));
  }

  std::optional<std::string> browser_;
  testing::TempDir dir_;
};

struct Coverage {
  double dark = 0;      // share of pixels with every channel below 128
  double coloured = 0;  // share of pixels that are not near white
  double deepRed = 0;   // share of pixels of the strongest |r| colours
};

Coverage coverageOf(const testing::DecodedPng& image, const FigureBox& box) {
  Coverage coverage;
  std::size_t count = 0;
  for (long y = box.top + 2; y < box.top + box.height - 2; ++y) {
    for (long x = box.left + 2; x < box.left + box.width - 2; ++x) {
      const auto* p = image.at(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
      ++count;
      if (p[0] < 128 && p[1] < 128 && p[2] < 128) coverage.dark += 1;
      if (p[0] < 240 || p[1] < 240 || p[2] < 240) coverage.coloured += 1;
      if (p[0] > 100 && p[1] < 60 && p[2] < 80) coverage.deepRed += 1;
    }
  }
  const auto total = static_cast<double>(count == 0 ? 1 : count);
  return {coverage.dark / total, coverage.coloured / total, coverage.deepRed / total};
}

TEST_F(CheckPageBrowserTest, ExampleReportLoadsWithoutErrorsAndDrawsItsFigures) {
  const auto check =
      tool({"check", "--html", "report.html", "examples/sub01_task.sdm",
            "examples/bad/sub01_task_motion_broken.sdm", "--motion", "examples/sub01_bold_mcf.par",
            "--motion", "examples/sub01_motion_run1.sdm", "--contrast",
            "A-B=\"Condition A\" - \"Condition B\"", "--contrast", "C=\"Condition C\""});
  ASSERT_EQ(check.exitCode, 3) << check.err;
  constexpr int kHeight = 5200;
  const auto page = dom("report.html", kHeight);
  EXPECT_NE(page.find("data-rendered=\"ok\""), std::string::npos);
  EXPECT_EQ(page.find("data-errors=\""), std::string::npos) << page.substr(0, 600);

  const auto boxes = testing::figureBoxesIn(page);
  // The task design: its task bars, contrasts, head motion, matrix, heatmap and bars; the broken
  // design the same with its task predictors' pairs with the confounds.
  std::vector<std::string> figures;
  for (const auto& box : boxes) figures.push_back(box.figure);
  ASSERT_EQ(figures, (std::vector<std::string>{"task-bars", "contrasts", "fd", "matrix", "heatmap",
                                               "bars", "task-bars", "task-pairs", "contrasts", "fd",
                                               "matrix", "heatmap", "bars"}));
  const auto image = screenshot("report.html", kHeight);
  ASSERT_EQ(image.width, static_cast<std::size_t>(kWindowWidth));
  // The page's own ground is white.
  EXPECT_GT(image.at(4, 4)[0], 240);
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.figure + " at " + std::to_string(box.left) + "," + std::to_string(box.top));
    ASSERT_GT(box.width, 20);
    ASSERT_GT(box.height, 20);
    ASSERT_LE(box.left + box.width, kWindowWidth);
    ASSERT_LE(box.top + box.height, kHeight);
    const auto coverage = coverageOf(image, box);
    if (box.figure == "matrix") {
      // Mostly black task columns with white blocks.
      EXPECT_GT(coverage.dark, 0.3);
      EXPECT_LT(coverage.dark, 0.95);
    } else if (box.figure == "heatmap" || box.figure == "task-pairs") {
      EXPECT_GT(coverage.coloured, 0.5);
    } else {
      EXPECT_GT(coverage.coloured, 0.03);
    }
  }
  // The broken design's identical pair and its dependent columns are drawn in deep red.
  EXPECT_GT(coverageOf(image, boxes[11]).deepRed, 0.005);
  EXPECT_EQ(coverageOf(image, boxes[4]).deepRed, 0.0);
}

// How quickly it opens is measured by the page benchmark (bench/page_bench.cpp).
TEST_F(CheckPageBrowserTest, WideDesignPageOpensWithEveryFigureDrawn) {
  // 300 data points by 2,000 predictors.
  DesignMatrix wide;
  wide.nrOfPredictors.value = 2000;
  wide.nrOfDataPoints.value = 300;
  wide.firstConfoundPredictor.value = 11;
  std::mt19937 generator(3);
  std::normal_distribution<float> normal;
  for (int p = 0; p < 2000; ++p) {
    wide.predictorNames.push_back("P" + std::to_string(p + 1));
    wide.colorRed.push_back(255);
    wide.colorGreen.push_back(255);
    wide.colorBlue.push_back(255);
    std::vector<float> column(300);
    for (auto& value : column) value = normal(generator);
    wide.values.push_back(std::move(column));
  }
  saveDesign(wide, dir_.file("wide.sdm"), kSdmFormat);
  ASSERT_EQ(tool({"check", "--html", "wide.html", "wide.sdm"}).exitCode, 3);
  const auto page = dom("wide.html", 1400);
  EXPECT_NE(page.find("data-rendered=\"ok\""), std::string::npos);
  EXPECT_EQ(page.find("data-errors=\""), std::string::npos);
}

}  // namespace
}  // namespace duv
