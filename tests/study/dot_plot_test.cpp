#include "study/dot_plot.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "tests/support/occurrences.h"

namespace duv {
namespace {

// Runs "run 1" to "run n" with values 1, 1.1, 1.2, ..., then the given outliers.
DotPlot plotOf(std::size_t n, const std::vector<double>& high) {
  DotPlot plot;
  plot.figure = "task-vif";
  plot.caption = "Highest VIF";
  plot.logarithmic = true;
  for (std::size_t i = 0; i < n + high.size(); ++i) {
    const double value = i < n ? 1 + 0.1 * static_cast<double>(i % 10) : high[i - n];
    const std::string name = "run " + std::to_string(i + 1);
    plot.runs.push_back({value, name, name, "sub/run-" + std::to_string(i + 1) + ".html",
                         i % 3 == 0 ? CheckStatus::ok : CheckStatus::high});
  }
  return plot;
}

TEST(DotPlotTest, RunsAboveTheFenceAreNamedBesideTheirDotsAndListedBelow) {
  const auto html = dotPlotFigure(plotOf(40, {30.0, std::numeric_limits<double>::infinity()}));
  EXPECT_EQ(occurrences(html, "data-figure=\"task-vif\""), 1U);
  EXPECT_EQ(occurrences(html, "<circle"), 42U);
  EXPECT_EQ(occurrences(html, "class=\"outlier\""), 2U);
  // Only the named runs have text of their own; the infinite one lies in its band.
  EXPECT_EQ(occurrences(html, "<text class=\"label\""), 2U);
  EXPECT_NE(html.find(">run 42 <tspan class=\"value\">&#8734;</tspan>"), std::string::npos);
  EXPECT_NE(html.find(">run 41 <tspan class=\"value\">30.00</tspan>"), std::string::npos);
  EXPECT_EQ(occurrences(html, "class=\"band\""), 1U);
  EXPECT_LT(html.find("<li><a href=\"sub/run-42.html\">run 42</a>"),
            html.find("<li><a href=\"sub/run-41.html\">run 41</a>"));
  EXPECT_NE(html.find("Above the fence (2):"), std::string::npos);
  // Each dot links to its run's page and names it on hovering.
  EXPECT_EQ(occurrences(html, "<a href=\"sub/run-"), 42U + 2U);
  EXPECT_NE(html.find("<title>run 7: 1.60</title>"), std::string::npos);
  // A logarithmic axis in steps of 1, 2 and 5.
  for (const char* tick : {">1</text>", ">2</text>", ">5</text>", ">10</text>", ">20</text>"}) {
    EXPECT_NE(html.find(tick), std::string::npos) << tick;
  }
  EXPECT_NE(html.find("42 runs &middot; median 1.50 &middot; quartiles 1.20 to 1.70 &middot; "
                      "upper fence Q3 + 1.5 IQR 2.45"),
            std::string::npos);
}

TEST(DotPlotTest, ManyOutliersAreNamedAsFarAsTheyFitAndAllListed) {
  std::vector<double> high;
  for (int i = 0; i < 60; ++i) high.push_back(40 + i);
  const auto html = dotPlotFigure(plotOf(300, high));
  const auto named = occurrences(html, "<text class=\"label\"");
  EXPECT_GT(named, 20U);
  EXPECT_LT(named, 40U);
  EXPECT_NE(html.find("and " + std::to_string(60 - named) + " more, listed below"),
            std::string::npos);
  EXPECT_EQ(occurrences(html, "<li>"), 60U);
}

TEST(DotPlotTest, NamesAreEscapedAndPlotsWithoutRunsSaySo) {
  DotPlot plot;
  plot.figure = "mean-fd";
  plot.caption = "Mean FD <mm>";
  plot.unit = "mm";
  plot.decimals = 3;
  plot.withoutValue = 4;
  EXPECT_EQ(dotPlotFigure(plot),
            "<figure class=\"distribution\"><figcaption>Mean FD &lt;mm&gt;</figcaption><p "
            "class=\"note\">No run has this value (4 without it).</p></figure>");

  for (int i = 0; i < 9; ++i) plot.runs.push_back({0.1, "quiet", "quiet", "", CheckStatus::ok});
  plot.runs.push_back({5.0, "<script>&\"'", "<script>&\"'", "a&b.html", CheckStatus::error});
  const auto html = dotPlotFigure(plot);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;&amp;&quot;&#39; <tspan class=\"value\">5.000</tspan>"),
            std::string::npos);
  EXPECT_NE(html.find("<a href=\"a&amp;b.html\">&lt;script&gt;&amp;&quot;&#39;</a>"),
            std::string::npos);
  EXPECT_NE(html.find("4 runs without a value left out"), std::string::npos);
  // Runs without a page are dots without a link.
  EXPECT_EQ(occurrences(html, "<a href="), 2U);
  // A linear axis from 0 (five tenths of mm, with the fence drawn above them all).
  EXPECT_NE(html.find(">0</text>"), std::string::npos);
}

}  // namespace
}  // namespace duv
