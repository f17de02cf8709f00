#include "study/group_html.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
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

  EXPECT_NE(body.find("<td class=\"name\"><a href=\"sub-01/run-1/sub-01_run-1_task.html\">"
                      "sub-01_run-1_task.sdm</a></td>"),
            std::string::npos);
  // Path characters percent-encoded, the name escaped.
  EXPECT_NE(body.find("<a href=\"sub%2012/run%20%231.html\">&lt;b&gt;sub 12 &amp; "
                      "&quot;co&quot;.sdm</a>"),
            std::string::npos);
  EXPECT_EQ(html.find("<b>sub 12"), std::string::npos);
  // The failed run: its two fields, name, status, first error and reasons; the 10 others
  // empty (the predictors' names show in their measures' cells).
  const auto failed = between(body, "<tr class=\"failed\"", "</tr>");
  EXPECT_NE(failed.find("<span class=\"badge failed\">failed</span>"), std::string::npos);
  EXPECT_NE(failed.find("<td class=\"error\" title=\"sub-11_run-1_motion.par, line 3: "
                        "&lt;bad&gt;\">sub-11_run-1_motion.par, line 3: &lt;bad&gt;</td>"),
            std::string::npos);
  EXPECT_EQ(occurrences(failed, "<td></td>"), 10U);
  // Numbers keep their value for sorting; infinity as the script reads it.
  EXPECT_NE(body.find("<td class=\"num\" data-v=\"0.1\">0.100</td>"), std::string::npos);
  EXPECT_NE(body.find("<td class=\"num pair\" data-v=\"Infinity\">&#8734;<span "
                      "class=\"of\">Condition A</span></td>"),
            std::string::npos);
  // The strongest pair under its r; their own columns are not shown.
  EXPECT_NE(body.find("<td class=\"num pair\" data-v=\"-0.4125\">-0.41<span class=\"of\">"
                      "Condition A ~ tx</span></td>"),
            std::string::npos);
  EXPECT_EQ(html.find("data-key=\"task_predictor\""), std::string::npos);
  // Statuses sort by severity, ok 0 to failed 4.
  EXPECT_NE(body.find("<td class=\"num\" data-v=\"3\"><span class=\"badge error\">"),
            std::string::npos);
  // Headings: the group.tsv header as the sort key, numbers marked as such.
  EXPECT_NE(html.find("<th class=\"num\" data-key=\"mean_fd\""), std::string::npos);
  EXPECT_NE(html.find("<th data-key=\"sub\" title=\"pattern field\">sub</th>"), std::string::npos);
  EXPECT_NE(
      html.find("<th class=\"num named\" data-key=\"A-B\" title=\"contrast VIF; infinite: not "
                "estimable\"><span class=\"pre\">cVIF</span> A-B</th>"),
      std::string::npos);
  EXPECT_NE(html.find("<th data-key=\"name\""), std::string::npos);
}

TEST(GroupHtmlTest, OutliersAreNamedAndRunsWithoutTheValueLeftOut) {
  const auto html = page(smallStudy());
  const auto motion = between(html, "data-figure=\"mean-fd\"", "</figure>");
  EXPECT_EQ(occurrences(motion, "<circle"), 10U);
  EXPECT_EQ(occurrences(motion, "<text class=\"label\""), 1U);
  // Labelled by the field that tells the runs apart.
  EXPECT_NE(motion.find(">sub 10 <tspan class=\"value\">1.250</tspan>"), std::string::npos);
  EXPECT_NE(motion.find("Above the fence (1):</p><ol class=\"outliers\"><li><a "
                        "href=\"sub-10/run-1/sub-10_run-1_task.html\">sub-10_run-1_task.sdm</a> "
                        "<span class=\"value\">1.250 mm</span></li></ol>"),
            std::string::npos);
  EXPECT_NE(motion.find("2 runs without a value left out"), std::string::npos);
  const auto vif = between(html, "data-figure=\"task-vif\"", "</figure>");
  EXPECT_EQ(occurrences(vif, "<circle"), 11U);
  EXPECT_NE(vif.find(">sub 10 <tspan class=\"value\">&#8734;</tspan>"), std::string::npos);
}

TEST(GroupHtmlTest, RunsOfTheSameNameAreToldApartByTheirFields) {
  auto first = testing::completeRun("01", 1);
  auto second = testing::completeRun("02", 1);
  first.name = second.name = "task.sdm";
  std::vector<RunRecord> runs{first, second};
  for (int i = 0; i < 8; ++i) runs.push_back(testing::completeRun("1" + std::to_string(i), 1));
  runs[1].meanDisplacement = 3.0;
  const auto html = page(runs);
  EXPECT_NE(html.find(">sub 02 <tspan"), std::string::npos);
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

// Beside its dot a run is named by the values of the fields that tell the runs apart, by its
// name when they do not.
TEST(GroupHtmlTest, RunsAreLabelledByTheFieldsThatDiffer) {
  using Fields = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* title;
    std::vector<Fields> fields;  // of each run; the last one is restless
    std::string label;           // of the restless run
  };
  const Case cases[] = {
      {"the task the same for all",
       {{{"sub", "01"}, {"task", "a"}, {"run", "1"}},
        {{"sub", "01"}, {"task", "a"}, {"run", "2"}},
        {{"sub", "02"}, {"task", "a"}, {"run", "1"}},
        {{"sub", "02"}, {"task", "a"}, {"run", "2"}}},
       "sub 02, run 2"},
      {"every field differs",
       {{{"sub", "01"}, {"task", "a"}}, {{"sub", "02"}, {"task", "b"}}},
       "sub 02, task b"},
      {"no fields: the name", {{}, {}}, "sub-09_run-1_task.sdm"},
      {"two runs share their fields: the names",
       {{{"sub", "01"}}, {{"sub", "01"}}, {{"sub", "02"}}},
       "sub-09_run-1_task.sdm"},
      {"a field one run lacks",
       {{{"sub", "01"}, {"ses", "a"}}, {{"sub", "01"}, {"ses", "b"}}, {{"sub", "02"}}},
       "sub 02"},
      {"long values, shortened",
       {{{"sub", "01"}, {"acq", std::string(40, 'x') + "1"}},
        {{"sub", "01"}, {"acq", std::string(40, 'x') + "2"}}},
       "sub 01, acq xxxxxxxxxxxxxx...2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    std::vector<RunRecord> runs;
    for (std::size_t i = 0; i < c.fields.size(); ++i) {
      auto run = testing::completeRun("0" + std::to_string(i + 1), 1);
      if (i + 1 == c.fields.size()) {
        run = testing::completeRun("09", 1);
        run.meanDisplacement = 5.0;
      }
      run.fields = c.fields[i];
      runs.push_back(run);
    }
    // Quiet runs enough to set the fence below the restless one.
    for (int i = 0; i < 6; ++i) {
      auto quiet = testing::completeRun("1" + std::to_string(i), 1);
      quiet.fields = {{"sub", "1" + std::to_string(i)}, {"quiet", "yes"}};
      runs.insert(runs.begin(), quiet);
    }
    const auto motion = between(page(runs), "data-figure=\"mean-fd\"", "</figure>");
    EXPECT_NE(motion.find(">" + c.label + " <tspan"), std::string::npos) << motion;
  }
}

TEST(GroupHtmlTest, SubjectsAreCountedAndThoseFailingAMotionRuleNamed) {
  auto moving = testing::completeRun("03", 1);
  moving.status = CheckStatus::high;
  moving.failedMotionRule = true;
  auto moving2 = moving;
  moving2.name = "sub-03_run-2_task.sdm";
  auto skipped = testing::failedRun("01", 2, "no file for --confounds-from 'c.tsv'");
  skipped.skipped = true;
  const std::vector<RunRecord> runs{testing::completeRun("01", 1), skipped, moving, moving2,
                                    testing::failedRun("02", 1, "bad")};
  const auto html = page(runs);
  EXPECT_NE(html.find("<p class=\"motion-subjects\">Every run fails a motion rule: <b>sub "
                      "03</b></p>"),
            std::string::npos);
  EXPECT_NE(html.find("<span class=\"count skipped\">1 skipped</span>"), std::string::npos);
  const auto subjects = between(html, "<table class=\"subjects\">", "</table>");
  EXPECT_NE(subjects.find("<tr><td>01</td><td class=\"num\">2</td><td class=\"num\"></td>"
                          "<td class=\"num\">1</td><td class=\"num\"></td><td "
                          "class=\"num\">1</td><td></td></tr>"),
            std::string::npos)
      << subjects;
  EXPECT_NE(subjects.find("<tr class=\"motion\"><td>03</td><td class=\"num\">2</td><td "
                          "class=\"num\"></td><td class=\"num\">2</td><td class=\"num\"></td><td "
                          "class=\"num\"></td><td>every run fails a motion rule</td></tr>"),
            std::string::npos)
      << subjects;
  // The skipped run's row: its status, why, and nothing else.
  const auto row = between(html, "<tr class=\"skipped\" data-i=\"1\">", "</tr>");
  EXPECT_NE(row.find("<span class=\"badge skipped\">skipped</span>"), std::string::npos);
  EXPECT_NE(row.find("<td class=\"num\" data-v=\"5\">"), std::string::npos);
  EXPECT_NE(row.find("<td class=\"reasons\">no file for --confounds-from &#39;c.tsv&#39;</td>"),
            std::string::npos)
      << row;
  // Without fields, no subjects and no one named.
  auto noFields = runs;
  for (auto& run : noFields) run.fields.clear();
  const auto plain = page(noFields);
  EXPECT_EQ(plain.find("<table class=\"subjects\">"), std::string::npos);
  EXPECT_EQ(plain.find("<p class=\"motion-subjects\">"), std::string::npos);
}

// The motion rule's mean-FD limit is drawn beside the fence, on the axis even above every run,
// and the runs above it counted.
TEST(GroupHtmlTest, TheMotionRulesLimitIsDrawnBesideTheFence) {
  struct Case {
    std::optional<double> limit;
    std::string rule;
    std::string legend;  // "" for no line
  };
  const Case cases[] = {
      {std::nullopt, "stringent", ""},
      {0.25, "stringent", "stringent rule: 0.25 mm: 1 run above"},
      {0.55, "lenient", "lenient rule: 0.55 mm: 1 run above"},
      {3.0, "", "limit: 3 mm: 0 runs above"},  // above every run: the axis reaches it
      {0.0, "none", "none rule: 0 mm: 10 runs above"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.legend);
    GroupPageSettings settings;
    settings.meanDisplacementLimit = c.limit;
    settings.motionRule = c.rule;
    std::ostringstream out;
    writeGroupHtml(smallStudy(), {}, out, settings);
    // smallStudy's mean FD: 0.10 to 0.18, and one run at 1.25.
    const auto motion = between(out.str(), "data-figure=\"mean-fd\"", "</figure>");
    const auto vif = between(out.str(), "data-figure=\"task-vif\"", "</figure>");
    EXPECT_EQ(vif.find("class=\"limit"), std::string::npos);
    if (c.legend.empty()) {
      EXPECT_EQ(motion.find("class=\"limit"), std::string::npos);
      continue;
    }
    EXPECT_EQ(occurrences(motion, "<line class=\"limit\""), 1U);
    EXPECT_NE(motion.find(c.legend), std::string::npos) << motion;
    static const std::regex line(R"re(<line class="limit" x1="[^"]*" x2="[^"]*" y1="([^"]*)")re");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(motion, match, line));
    const double y = std::stod(match[1]);
    EXPECT_GE(y, 12.0);
    EXPECT_LE(y, 380.0);
  }
}

}  // namespace
}  // namespace duv
