#include "study/group_html.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "check/page_kit.h"
#include "tests/study/study_records.h"
#include "tests/support/occurrences.h"

namespace duv {
namespace {

std::string page(const std::vector<RunRecord>& runs, const std::vector<std::string>& errors = {}) {
  std::ostringstream out;
  writeGroupHtml(runs, errors, out);
  return out.str();
}

// The text of the page between `begin` and the first `end` after it.
std::string between(const std::string& html, const std::string& begin, const std::string& end) {
  const auto from = html.find(begin);
  if (from == std::string::npos) return "";
  return html.substr(from, html.find(end, from) - from);
}

// Nine quiet runs and a restless one, whose mean FD lies far above the others'; a failed run;
// a run with an odd name and check page.
std::vector<RunRecord> smallStudy() {
  std::vector<RunRecord> runs;
  for (int i = 0; i < 9; ++i) {
    auto run = testing::completeRun("0" + std::to_string(i + 1), 1);
    run.status = i < 6 ? CheckStatus::ok : (i < 8 ? CheckStatus::medium : CheckStatus::high);
    run.meanDisplacement = 0.10 + 0.01 * i;
    run.highestTaskVif->second = 1.5 + 0.1 * i;
    runs.push_back(run);
  }
  auto restless = testing::completeRun("10", 1);
  restless.status = CheckStatus::error;
  restless.meanDisplacement = 1.25;
  restless.highestTaskVif->second = std::numeric_limits<double>::infinity();
  runs.push_back(restless);
  runs.push_back(testing::failedRun("11", 1, "sub-11_run-1_motion.par, line 3: <bad>"));
  auto odd = testing::completeRun("12", 1);
  odd.name = "<b>sub 12 & \"co\".sdm";
  odd.checkPage = "sub 12/run #1.html";
  odd.meanDisplacement.reset();
  runs.push_back(odd);
  return runs;
}

TEST(GroupHtmlTest, PageIsSelfContainedWithCountsFiguresAndTable) {
  const auto html = page(smallStudy());
  EXPECT_EQ(html.substr(0, 16), "<!DOCTYPE html>\n");
  for (const char* external : {"http:", "https:", "<link", "@import", "src=\""}) {
    EXPECT_EQ(html.find(external), std::string::npos) << external;
  }
  EXPECT_NE(html.find("<title>Study check: 12 runs</title>"), std::string::npos);
  EXPECT_NE(html.find("<span class=\"count ok\">6 ok</span><span class=\"count warned\">5 "
                      "warned</span><span class=\"parts\">(3 medium, 1 high, 1 error)</span>"
                      "<span class=\"count failed\">1 failed</span>"),
            std::string::npos);
  for (const char* figure : {"mean-fd", "task-vif", "runs"}) {
    EXPECT_EQ(occurrences(html, std::string("data-figure=\"") + figure + "\""), 1U) << figure;
  }
  EXPECT_LT(html.find("data-figure=\"mean-fd\""), html.find("data-figure=\"task-vif\""));
  EXPECT_NE(html.find("data-rendered"), std::string::npos);
  EXPECT_NE(html.find("data-errors"), std::string::npos);
  EXPECT_EQ(html.find("Run records that cannot be read"), std::string::npos);
}

TEST(GroupHtmlTest, EveryRunIsARowInItsStatusColourLinkingToItsCheckPage) {
  const auto runs = smallStudy();
  const auto html = page(runs);
  const auto body = between(html, "<tbody>", "</tbody>");
  static const std::regex row(R"re(<tr class="(\w+)" data-i="(\d+)">)re");
  std::vector<std::string> seen;
  for (std::sregex_iterator it(body.begin(), body.end(), row), end; it != end; ++it) {
    seen.push_back((*it)[1].str() + " " + (*it)[2].str());
  }
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    expected.push_back(statusName(runs[i].status) + (" " + std::to_string(i)));
  }
  EXPECT_EQ(seen, expected);

  EXPECT_NE(body.find("<td><a href=\"sub-01/run-1/sub-01_run-1_task.html\">"
                      "sub-01_run-1_task.sdm</a></td>"),
            std::string::npos);
  // Path characters percent-encoded, the name escaped.
  EXPECT_NE(body.find("<a href=\"sub%2012/run%20%231.html\">&lt;b&gt;sub 12 &amp; "
                      "&quot;co&quot;.sdm</a>"),
            std::string::npos);
  EXPECT_EQ(html.find("<b>sub 12"), std::string::npos);
  // The failed run: its two fields, name, status and first error; the 13 others empty.
  const auto failed = between(body, "<tr class=\"failed\"", "</tr>");
  EXPECT_NE(failed.find("<span class=\"badge failed\">failed</span>"), std::string::npos);
  EXPECT_NE(failed.find("<td class=\"error\" title=\"sub-11_run-1_motion.par, line 3: "
                        "&lt;bad&gt;\">sub-11_run-1_motion.par, line 3: &lt;bad&gt;</td>"),
            std::string::npos);
  EXPECT_EQ(occurrences(failed, "<td></td>"), 13U);
  // Numbers keep their value for sorting; infinity as the script reads it.
  EXPECT_NE(body.find("<td class=\"num\" data-v=\"0.1\">0.100</td>"), std::string::npos);
  EXPECT_NE(body.find("<td class=\"num\" data-v=\"Infinity\">&#8734;</td>"), std::string::npos);
  // Statuses sort by severity, ok 0 to failed 4.
  EXPECT_NE(body.find("<td class=\"num\" data-v=\"3\"><span class=\"badge error\">"),
            std::string::npos);
  // Headings: the group.tsv header as the sort key, numbers marked as such.
  EXPECT_NE(html.find("<th class=\"num\" data-key=\"mean_fd\""), std::string::npos);
  EXPECT_NE(html.find("<th data-key=\"sub\" title=\"pattern field\">sub</th>"), std::string::npos);
  EXPECT_NE(html.find("<th class=\"num\" data-key=\"A-B\" title=\"contrast VIF; infinite: not "
                      "estimable\"><span class=\"pre\">cVIF</span> A-B</th>"),
            std::string::npos);
  EXPECT_NE(html.find("<th data-key=\"name\""), std::string::npos);
}

TEST(GroupHtmlTest, OutliersAreNamedAndRunsWithoutTheValueLeftOut) {
  const auto html = page(smallStudy());
  const auto motion = between(html, "data-figure=\"mean-fd\"", "</figure>");
  EXPECT_EQ(occurrences(motion, "<circle"), 10U);
  EXPECT_EQ(occurrences(motion, "<text class=\"label\""), 1U);
  EXPECT_NE(motion.find(">sub-10_run-1_task.sdm <tspan class=\"value\">1.250</tspan>"),
            std::string::npos);
  EXPECT_NE(motion.find("Above the fence (1):</p><ol class=\"outliers\"><li><a "
                        "href=\"sub-10/run-1/sub-10_run-1_task.html\">sub-10_run-1_task.sdm</a> "
                        "<span class=\"value\">1.250 mm</span></li></ol>"),
            std::string::npos);
  EXPECT_NE(motion.find("2 runs without a value left out"), std::string::npos);
  const auto vif = between(html, "data-figure=\"task-vif\"", "</figure>");
  EXPECT_EQ(occurrences(vif, "<circle"), 11U);
  EXPECT_NE(vif.find(">sub-10_run-1_task.sdm <tspan class=\"value\">&#8734;</tspan>"),
            std::string::npos);
}

TEST(GroupHtmlTest, RunsOfTheSameNameAreToldApartByTheirFields) {
  auto first = testing::completeRun("01", 1);
  auto second = testing::completeRun("02", 1);
  first.name = second.name = "task.sdm";
  std::vector<RunRecord> runs{first, second};
  for (int i = 0; i < 8; ++i) runs.push_back(testing::completeRun("1" + std::to_string(i), 1));
  runs[1].meanDisplacement = 3.0;
  const auto html = page(runs);
  EXPECT_NE(html.find(">task.sdm (sub 02, run 1) <tspan"), std::string::npos);
  EXPECT_NE(html.find("<title>task.sdm (sub 01, run 1): 0.123 mm</title>"), std::string::npos);
}

TEST(GroupHtmlTest, UnreadableRecordsAreListed) {
  const auto html =
      page(smallStudy(), {"out/a.run.json, line 2: ends early", "out/<b>.run.json: empty"});
  EXPECT_NE(html.find("<span class=\"count unreadable\">2 records unreadable</span>"),
            std::string::npos);
  EXPECT_NE(html.find("<li>out/a.run.json, line 2: ends early</li><li>out/&lt;b&gt;.run.json: "
                      "empty</li>"),
            std::string::npos);
}

TEST(GroupHtmlTest, AThousandRunsMakeAPageOfReasonableSize) {
  const auto html = page(testing::simulatedStudy(1000, 11));
  EXPECT_LT(html.size(), 1'500'000U);
  EXPECT_EQ(occurrences(html, "<tr class="), 1000U);
  // Text in the figures: axis ticks, the fences, and the named runs only.
  EXPECT_LT(occurrences(html, "<text"), 120U);
  EXPECT_GT(occurrences(html, "<circle"), 1800U);
}

TEST(GroupHtmlTest, AStudyWithoutRunsIsAPageSayingSo) {
  const auto html = page({});
  EXPECT_NE(html.find("<title>Study check: 0 runs</title>"), std::string::npos);
  EXPECT_EQ(occurrences(html, "No run has this value"), 2U);
  EXPECT_EQ(occurrences(html, "<tr class="), 0U);
}

// Two restless runs whose names differ only at their ends: their labels beside the dots keep
// the ends apart; the badges, rows and dots take the kit's status colours.
TEST(GroupHtmlTest, RunsAreLabelledApartInTheKitsColours) {
  auto runs = smallStudy();
  for (const char* run : {"1", "2"}) {
    auto restless = testing::completeRun("20", 1);
    restless.name = std::string("sub-20_task-faces_acquisition-long_run-") + run + ".sdm";
    restless.meanDisplacement = 2.0;
    runs.push_back(restless);
  }
  const auto html = page(runs);
  EXPECT_NE(html.find(">sub-20_task-faces_acqu...1.sdm <tspan"), std::string::npos);
  EXPECT_NE(html.find(">sub-20_task-faces_acqu...2.sdm <tspan"), std::string::npos);
  for (const auto status :
       {CheckStatus::medium, CheckStatus::high, CheckStatus::error, CheckStatus::failed}) {
    const std::string name = statusName(status);
    EXPECT_NE(html.find(".badge." + name + " { background: " + statusColour(status) + "; }"),
              std::string::npos)
        << name;
  }
  EXPECT_NE(html.find(".dot.medium { background: " + std::string(dotColour(CheckStatus::medium))),
            std::string::npos);
  EXPECT_NE(html.find("fill=\"" + std::string(dotColour(CheckStatus::medium)) + "\""),
            std::string::npos);
}

// Whatever values the records hold (a record may hold any double), the page is drawn, and
// every coordinate of its figures is a number on the drawing.
TEST(GroupHtmlTest, EveryValueARecordCanHoldIsDrawnOnTheFigures) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double denormal = std::numeric_limits<double>::denorm_min();
  const double huge = std::numeric_limits<double>::max();
  const std::vector<std::vector<double>> cases = {
      {denormal},
      {denormal, 0.0},
      {denormal, 1.0},
      {-denormal, denormal},
      {1e308},
      {-1e308},
      {-1e308, 1e308},
      {huge, -huge},
      {1e308, 1.0, 2.0},
      {1e-308, 1e308},
      {1e-300, 2e-300},
      {inf},
      {-inf},
      {nan},
      {inf, -inf, nan, 1.0},
      {inf, 1e308},
      {0.5},
      {2.0, 2.0, 2.0},
      {0.0, 0.0},
      {-3.0, -2.0},
      {1.0, 1.0 + 1e-15},
      {1e15, 1e15 + 1},
  };
  const std::regex coordinate(R"re(\s(?:x|y|x1|x2|y1|y2|cx|cy|r|width|height)="([^"]*)")re");
  for (const auto& values : cases) {
    std::string name;
    for (const double value : values) name += std::to_string(value) + " ";
    SCOPED_TRACE(name);
    std::vector<RunRecord> runs;
    for (std::size_t i = 0; i < values.size(); ++i) {
      auto run = testing::completeRun("0" + std::to_string(i + 1), 1);
      run.meanDisplacement = values[i];
      run.maxDisplacement = values[i];
      run.highestTaskVif->second = values[i];
      run.strongestTaskConfound->r = values[i];
      run.contrasts[0].vif = values[i];
      runs.push_back(run);
    }
    const auto html = page(runs);
    EXPECT_EQ(occurrences(html, "<figure class=\"distribution\">"), 2U);
    const auto figures = between(html, "<div class=\"figures\">", "<h2>Runs</h2>");
    for (std::sregex_iterator it(figures.begin(), figures.end(), coordinate), end; it != end;
         ++it) {
      const std::string text = (*it)[1];
      char* stop = nullptr;
      const double number = std::strtod(text.c_str(), &stop);
      EXPECT_TRUE(*stop == '\0' && std::abs(number) <= 1000) << (*it)[0];
    }
  }
}

}  // namespace
}  // namespace duv
