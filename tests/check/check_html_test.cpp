#include "check/check_html.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "check/page_kit.h"
#include "tests/support/design_builder.h"
#include "tests/support/occurrences.h"

namespace duv {
namespace {

CheckRun runOf(DesignMatrix design, const std::string& path = "study/run1.sdm") {
  CheckRun run;
  CheckedFile file;
  file.path = path;
  file.design = std::move(design);
  file.check = checkDesign(file.design, run.thresholds);
  run.files.push_back(std::move(file));
  return run;
}

std::string html(const CheckRun& run) {
  std::ostringstream out;
  writeCheckHtml(run, out);
  return out.str();
}

DesignMatrix randomDesign(std::size_t points, std::size_t predictors, std::int32_t firstConfound) {
  std::mt19937 generator(7);
  std::normal_distribution<float> normal;
  std::vector<std::string> names;
  std::vector<std::vector<float>> columns(predictors, std::vector<float>(points));
  for (std::size_t p = 0; p < predictors; ++p) {
    names.push_back("Predictor " + std::to_string(p + 1));
    for (auto& value : columns[p]) value = normal(generator);
  }
  return testing::makeDesign(names, columns, firstConfound);
}

TEST(CheckHtmlTest, PageIsSelfContainedWithEveryFigure) {
  const auto page = html(runOf(randomDesign(40, 6, 4)));
  EXPECT_EQ(page.substr(0, 16), "<!DOCTYPE html>\n");
  for (const char* external : {"http:", "https:", "<link", "@import", "url(http", "src=\"//"}) {
    EXPECT_EQ(page.find(external), std::string::npos) << external;
  }
  EXPECT_EQ(occurrences(page, "data-figure=\"matrix\""), 1U);
  EXPECT_EQ(occurrences(page, "data-figure=\"heatmap\""), 1U);
  EXPECT_EQ(occurrences(page, "data-figure=\"bars\""), 1U);
  // The task's view first: the three task predictors' bars, and their pairs with the confounds.
  EXPECT_LT(page.find("data-figure=\"task-bars\""), page.find("data-figure=\"matrix\""));
  EXPECT_EQ(occurrences(page, "data-figure=\"task-pairs\""), 1U);
  // Main predictors and confounds are two images, apart.
  EXPECT_EQ(occurrences(page, "<img alt=\"main predictors\" src=\"data:image/png;base64,"), 1U);
  EXPECT_EQ(occurrences(page, "<img alt=\"confounds\" src=\"data:image/png;base64,"), 1U);
  // Task bars and their ground, 3 x 3 task-by-confound cells and their scale; bands and frame
  // of the matrix, 6 x 6 heatmap cells and the scale, bars and their ground.
  EXPECT_EQ(occurrences(page, "<rect x="), 3U + 1U + 9U + 1U + 6U + 1U + 36U + 1U + 6U + 1U);
  EXPECT_NE(page.find(">VIF 5</text>"), std::string::npos);
  EXPECT_NE(page.find(">VIF 10</text>"), std::string::npos);
  EXPECT_NE(page.find("0.40 medium"), std::string::npos);
  EXPECT_NE(page.find("data-rendered"), std::string::npos);
}

TEST(CheckHtmlTest, HeadMotionIsATraceWithItsThresholdsAndFlaggedVolumes) {
  auto run = runOf(randomDesign(40, 6, 4));
  std::vector<double> displacement(40, 0.1);
  displacement[0] = 0.0;
  displacement[7] = 0.9;
  displacement[30] = 0.6;
  auto& file = run.files.front();
  file.motion = checkMotion("run1.par", displacement, run.motion, false, file.design, file.check);
  const auto page = html(run);
  EXPECT_EQ(occurrences(page, "data-figure=\"fd\""), 1U);
  EXPECT_LT(page.find("data-figure=\"fd\""), page.find("data-figure=\"matrix\""));
  EXPECT_NE(page.find("Framewise displacement (mm) of run1.par"), std::string::npos);
  EXPECT_EQ(occurrences(page, "class=\"flagged\"><title>volume "), 2U);
  EXPECT_NE(page.find("<title>volume 8: FD 0.90 mm</title>"), std::string::npos);
  EXPECT_NE(page.find(">0.50 spikes</text>"), std::string::npos);
  EXPECT_NE(page.find(">0.20</text>"), std::string::npos);
  // Two of 40 volumes is not more than 25 %; one of them is, over 2 %.
  EXPECT_EQ(page.find("<li class=\"high\"><b>high</b> head motion:"), std::string::npos);
  // The levels' note of a page with head motion names its rule; a page without none.
  EXPECT_NE(page.find(" mm, head motion beyond the stringent motion rule (mean FD &gt; 0.25 mm, "
                      "more than 20 % of the volumes above 0.2 mm or an FD &gt; 5 mm)) &gt; "
                      "medium"),
            std::string::npos);
  EXPECT_EQ(html(runOf(randomDesign(40, 6, 4))).find("motion rule"), std::string::npos);
  EXPECT_EQ(page.find("<ul class=\"reasons\""), std::string::npos);
  run.motion.maxFlaggedShare = 0.02;
  file.motion = checkMotion("run1.par", displacement, run.motion, false, file.design, file.check);
  EXPECT_NE(html(run).find("<li class=\"high\"><b>high</b> head motion: 5.0 % of the volumes move "
                           "more than 0.5 mm (more than 2 %)"),
            std::string::npos);
  // Its reason comes first, under the file's heading and before its facts.
  const auto warned = html(run);
  const auto heading = warned.find("<h2>study/run1.sdm");
  const auto reasons = warned.find(
      "<ul class=\"reasons\" style=\"margin:6px 0 10px;font-weight:bold\"><li>5 % of volumes "
      "&gt; 0.5 mm, scrubbing leaves 31 df</li></ul>");
  ASSERT_NE(reasons, std::string::npos);
  EXPECT_LT(heading, reasons);
  EXPECT_EQ(warned.find("data points", heading), warned.find("data points", reasons));
}

// 3 task predictors and 150 confounds: the task rows stay cells of their own, named, and the
// confounds a task predictor follows are named above their columns.
TEST(CheckHtmlTest, TaskPairsOfALargeDesignStayLabelled) {
  auto design = randomDesign(200, 153, 4);
  const auto follow = [&design](std::size_t confound, std::size_t task) {
    auto& values = design.values[confound];
    for (std::size_t t = 0; t < values.size(); ++t) {
      values[t] = design.values[task][t] + 0.5F * values[t];
    }
  };
  follow(12, 0);  // Predictor 13 follows Predictor 1,
  follow(13, 0);  // and so does its neighbour, too close to be named beside it
  follow(99, 2);  // Predictor 100 follows Predictor 3
  const auto page = html(runOf(design));
  const auto start = page.find("aria-label=\"|r| of the task predictors with the confounds\"");
  ASSERT_NE(start, std::string::npos);
  const auto figure = page.substr(start, page.find("</figure>", start) - start);
  EXPECT_EQ(occurrences(figure, "<title>Predictor 1 ~ "), 150U);
  EXPECT_EQ(occurrences(figure, "<title>Predictor 3 ~ "), 150U);
  EXPECT_EQ(occurrences(figure, "<title>"), 450U);
  EXPECT_NE(figure.find("<title>Predictor 1 ~ Predictor 13: r = 0."), std::string::npos);
  EXPECT_EQ(figure.find("class=\"raster\""), std::string::npos);
  for (const char* name :
       {"Predictor 1", "Predictor 2", "Predictor 3", "Predictor 13", "Predictor 100"}) {
    EXPECT_EQ(occurrences(figure, std::string(">") + name + "</text>"), 1U) << name;
  }
  EXPECT_EQ(occurrences(figure, ">Predictor 14</text>"), 0U);
  EXPECT_EQ(occurrences(figure, "class=\"label\""), 5U);
  // The map of all pairs, 153 a side, stays an image.
  EXPECT_NE(page.find("class=\"raster\" data-figure=\"heatmap\""), std::string::npos);
}

TEST(CheckHtmlTest, NamesAndPathsAreEscaped) {
  const auto page = html(
      runOf(testing::makeDesign({"<b>&\"'", "x"}, {{1, 2, 3, 4}, {2, 1, 4, 3}}, 3), "a<b>.sdm"));
  EXPECT_EQ(page.find("<b>&"), std::string::npos);
  EXPECT_NE(page.find("&lt;b&gt;&amp;&quot;&#39;"), std::string::npos);
  EXPECT_NE(page.find("Design check: a&lt;b&gt;.sdm"), std::string::npos);
}

// Two predictors whose names differ only at their ends keep their ends apart; a name of 28
// characters but more bytes stays whole; badges take the kit's status colours.
TEST(CheckHtmlTest, PredictorsAreLabelledApartInTheKitsColours) {
  const auto page = html(
      runOf(testing::makeDesign({"Condition A with a long name 1", "Condition A with a long name 2",
                                 "Condition \xc3\x84 with a long name"},
                                {{1, 2, 3, 4, 6}, {2, 1, 4, 3, 1}, {0, 1, 0, 1, 2}}, 3)));
  EXPECT_NE(page.find(">Condition A with a long ...1</text>"), std::string::npos);
  EXPECT_NE(page.find(">Condition A with a long ...2</text>"), std::string::npos);
  EXPECT_NE(page.find("</title>Condition \xc3\x84 with a long name</text>"), std::string::npos);
  for (const auto status : {CheckStatus::medium, CheckStatus::high}) {
    const std::string name = statusName(status);
    EXPECT_NE(page.find(".badge." + name + " { background: " + statusColour(status) + "; }"),
              std::string::npos)
        << name;
  }
  EXPECT_NE(page.find(".badge.error, .badge.unreadable { background: " +
                      std::string(statusColour(CheckStatus::error))),
            std::string::npos);
}

TEST(CheckHtmlTest, WarningsAndUnreadableFilesAreShown) {
  auto run = runOf(
      testing::makeDesign({"A", "A copy", "C"}, {{1, 2, 3, 5}, {1, 2, 3, 5}, {1, 1, 1, 1}}, 4));
  CheckedFile missing;
  missing.path = "gone.sdm";
  missing.readError = "Failed opening for reading: gone.sdm";
  run.files.push_back(missing);
  const auto page = html(run);
  EXPECT_NE(page.find("<li class=\"error\"><b>error</b> A and A copy: identical columns "
                      "(r = 1.000)</li>"),
            std::string::npos);
  EXPECT_NE(page.find("<table class=\"summary\">"), std::string::npos);
  EXPECT_NE(page.find("Cannot be read: Failed opening for reading: gone.sdm"), std::string::npos);
  EXPECT_NE(page.find("<span class=\"badge unreadable\">unreadable</span>"), std::string::npos);
}

TEST(CheckHtmlTest, WideDesignsStaySmall) {
  // 300 data points by 2,000 predictors: rasters instead of 4 million cells.
  const auto page = html(runOf(randomDesign(300, 2000, 11)));
  EXPECT_LT(page.size(), 6U * 1024 * 1024);
  EXPECT_EQ(occurrences(page, "<img alt=\"|r| between predictors\""), 1U);
  EXPECT_NE(page.find("no residual degrees of freedom"), std::string::npos);
}

TEST(CheckHtmlTest, LongDesignsAreAveragedIntoAtMostAThousandRows) {
  const auto page = html(runOf(randomDesign(2500, 3, 4)));
  EXPECT_NE(page.find("2500 data points averaged into 1000 rows"), std::string::npos);
}

}  // namespace
}  // namespace duv
