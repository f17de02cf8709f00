// The study's group page opened in a real browser (headless Chromium): a page of 200 runs loads
// without errors, draws both distributions where it says they are, and sorts its table. The
// sorting is driven as a reader would: the page opened at "#sort=KEY" clicks that column's
// heading (twice for "#sort=-KEY"), through the same click handler a mouse reaches; the rows'
// order in the dumped document is then compared with the order the records give.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/group_html.h"
#include "tests/study/study_records.h"
#include "tests/support/headless_browser.h"
#include "tests/support/png_reader.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 1400;
constexpr std::size_t kRuns = 200;

// The runs' positions (data-i) in the table's order.
std::vector<std::size_t> rowOrder(const std::string& dom) {
  static const std::regex row(R"re(<tr class="\w+" data-i="(\d+)")re");
  std::vector<std::size_t> order;
  for (std::sregex_iterator it(dom.begin(), dom.end(), row), end; it != end; ++it) {
    order.push_back(std::stoul((*it)[1]));
  }
  return order;
}

// The order a numeric column sorts the runs in: by value, equal values in the runs' order,
// runs without the value last in either direction.
std::vector<std::size_t> expectedOrder(
    const std::vector<RunRecord>& runs,
    const std::function<std::optional<double>(const RunRecord&)>& valueOf, bool descending) {
  std::vector<std::size_t> order(runs.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const auto x = valueOf(runs[a]);
    const auto y = valueOf(runs[b]);
    if (!x || !y) return x.has_value() && !y.has_value();
    return descending ? *x > *y : *x < *y;
  });
  return order;
}

class GroupPageBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    browser_ = testing::findChromium();
    if (!browser_) GTEST_SKIP() << "chromium is not installed (scripts/install --test)";
    runs_ = testing::simulatedStudy(kRuns, 21);
    writeFile(realFileSystem(), dir_.file("group.html"),
              [&](std::ostream& out) { writeGroupHtml(runs_, {}, out); });
  }

  // One start of the browser on the page, with a fresh empty profile.
  testing::ProcessResult browse(const std::string& fragment, const std::vector<std::string>& what) {
    return testing::runHeadlessBrowser(*browser_, "file://" + dir_.file("group.html") + fragment,
                                       kWindowWidth, kWindowHeight, what);
  }

  std::string dom(const std::string& fragment = "") {
    const auto result = browse(fragment, {"--dump-dom"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("data-rendered=\"ok\""), std::string::npos) << fragment;
    EXPECT_EQ(result.out.find("data-errors=\""), std::string::npos)
        << fragment << ": " << result.out.substr(0, 600);
    return result.out;
  }

  std::optional<std::string> browser_;
  testing::TempDir dir_;
  std::vector<RunRecord> runs_;
};

TEST_F(GroupPageBrowserTest, LoadsWithoutErrorsAndDrawsBothDistributionsInTheirBoxes) {
  const auto page = dom();
  const auto boxes = testing::figureBoxesIn(page);
  std::vector<std::string> figures;
  for (const auto& box : boxes) figures.push_back(box.figure);
  ASSERT_EQ(figures, (std::vector<std::string>{"mean-fd", "task-vif", "runs"}));
  // The table in the study's order before any click.
  std::vector<std::size_t> studyOrder(kRuns);
  for (std::size_t i = 0; i < kRuns; ++i) studyOrder[i] = i;
  EXPECT_EQ(rowOrder(page), studyOrder);

  const auto shot = dir_.file("shot.png");
  const auto result = browse("", {"--screenshot=" + shot});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto image = testing::decodePng(testing::readText(shot));
  ASSERT_EQ(image.width, static_cast<std::size_t>(kWindowWidth));
  EXPECT_GT(image.at(4, 4)[0], 240);  // the page's own ground is white
  // Side by side, within the window.
  EXPECT_EQ(boxes[0].top, boxes[1].top);
  EXPECT_LT(boxes[0].left + boxes[0].width, boxes[1].left);
  for (std::size_t b = 0; b < 2; ++b) {
    const auto& box = boxes[b];
    SCOPED_TRACE(box.figure);
    ASSERT_GT(box.width, 300);
    ASSERT_GT(box.height, 300);
    ASSERT_LE(box.left + box.width, kWindowWidth);
    ASSERT_LE(box.top + box.height, kWindowHeight);
    // Dots in the status colours: green (ok) the most, and the drawing not empty.
    std::size_t green = 0;
    std::size_t drawn = 0;
    for (long y = box.top; y < box.top + box.height; ++y) {
      for (long x = box.left; x < box.left + box.width; ++x) {
        const auto* p = image.at(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
        if (p[0] < 240 || p[1] < 240 || p[2] < 240) ++drawn;
        if (p[1] > p[0] + 40 && p[1] > p[2] + 30) ++green;
      }
    }
    const auto area = static_cast<double>(box.width * box.height);
    EXPECT_GT(static_cast<double>(drawn) / area, 0.03);
    EXPECT_GT(green, 1000U);
  }
}

TEST_F(GroupPageBrowserTest, ClickingAHeadingSortsNumbersAsNumbersWithMissingValuesLast) {
  const auto meanFd = [](const RunRecord& run) -> std::optional<double> {
    return run.status == CheckStatus::failed ? std::nullopt : run.meanDisplacement;
  };
  const auto taskVif = [](const RunRecord& run) -> std::optional<double> {
    if (run.status == CheckStatus::failed || !run.highestTaskVif) return std::nullopt;
    return run.highestTaskVif->second;
  };
  struct Case {
    std::string fragment;
    std::function<std::optional<double>(const RunRecord&)> valueOf;
    bool descending;
  };
  const Case cases[] = {{"#sort=mean_fd", meanFd, false},
                        {"#sort=-mean_fd", meanFd, true},
                        {"#sort=-highest_task_vif", taskVif, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fragment);
    const auto page = dom(c.fragment);
    EXPECT_NE(page.find("data-sorted=\"" + c.fragment.substr(6) + "\""), std::string::npos);
    const auto order = expectedOrder(runs_, c.valueOf, c.descending);
    EXPECT_EQ(rowOrder(page), order);
    // The data has what makes the order worth checking: runs without the value, and for the
    // VIF infinities first.
    EXPECT_FALSE(c.valueOf(runs_[order.back()]));
    if (c.fragment == "#sort=-highest_task_vif") {
      EXPECT_TRUE(std::isinf(c.valueOf(runs_[order.front()]).value_or(0)));
    }
  }
  // Texts with their digits as numbers: the last subject's last run first.
  const auto byName = rowOrder(dom("#sort=-name"));
  ASSERT_EQ(byName.size(), kRuns);
  EXPECT_EQ(byName.front(), kRuns - 1);
  EXPECT_EQ(byName.back(), 0U);
}

// A study as a lab has it (subjects, tasks and runs; long reasons and first errors; a run
// skipped; contrasts) in a window 1,400 pixels wide: the table fits it without scrolling
// sideways, and every first error and reason is shown whole. A probe added after the page's
// own scripts measures the laid-out page.
TEST_F(GroupPageBrowserTest, TheTableFitsA1400PixelWindowWithReasonsAndErrorsShown) {
  constexpr int kNarrowWidth = 1400;
  std::vector<RunRecord> runs;
  for (const char* sub : {"01", "02", "03", "04"}) {
    for (const char* task : {"faces", "houses"}) {
      for (int number = 1; number <= 2; ++number) {
        auto run = testing::completeRun(sub, number);
        const std::string stem =
            std::string("sub-") + sub + "_task-" + task + "_run-" + std::to_string(number);
        run.name = stem + "_design.sdm";
        run.fields = {{"sub", sub}, {"task", task}, {"run", std::to_string(number)}};
        run.strongestTaskConfound = RunRecord::Pair{"Condition B", "rot_z_derivative1_power2", 0.8};
        run.contrasts = {{"faces-houses", true, 1.3},
                         {"faces+houses-baseline", true, 2.1},
                         {"first_half-second_half", true, 12.1},
                         {"scrambled-intact", true, 1.1}};
        run.reasons = {"mean FD 0.41 mm > 0.25", "62 % of volumes > 0.2 mm",
                       "Condition B ~ rot_z_derivative1_power2 r = 0.80",
                       "contrast first_half-second_half cVIF 12.1"};
        run.status = CheckStatus::high;
        runs.push_back(run);
      }
    }
  }
  runs[3] = testing::failedRun(
      "01", 2,
      "examples/study/derivatives/sub-01/func/sub-01_task-houses_run-2_desc-confounds_timeseries"
      ".tsv, line 12: expected 30 values, found 29");
  runs[3].fields = {{"sub", "01"}, {"task", "houses"}, {"run", "2"}};
  runs[9] = testing::failedRun(
      "03", 2,
      "no file for --confounds-from 'derivatives/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_"
      "desc-confounds_timeseries.tsv' (looked for derivatives/sub-03/func/"
      "sub-03_task-faces_run-2_desc-confounds_timeseries.tsv)");
  runs[9].skipped = true;
  runs[9].fields = {{"sub", "03"}, {"task", "faces"}, {"run", "2"}};

  std::ostringstream page;
  GroupPageSettings settings;
  settings.meanDisplacementLimit = 0.25;
  settings.motionRule = "stringent";
  writeGroupHtml(runs, {}, page, settings);
  const std::string probe = R"(<script>
window.addEventListener('load', function () {
  var table = document.getElementById('runs');
  var cells = 0, cut = 0, outside = 0;
  table.querySelectorAll('td.error, td.reasons').forEach(function (cell) {
    if (cell.textContent === '') return;
    ++cells;
    var box = cell.getBoundingClientRect();
    var style = getComputedStyle(cell);
    if (cell.scrollWidth > cell.clientWidth + 1 || cell.scrollHeight > cell.clientHeight + 1 ||
        style.visibility !== 'visible' || style.display === 'none') ++cut;
    if (box.left < 0 || box.right > window.innerWidth || box.width < 100) ++outside;
  });
  document.documentElement.setAttribute('data-probe', [
    document.documentElement.scrollWidth, window.innerWidth,
    Math.ceil(table.getBoundingClientRect().right), cells, cut, outside].join(','));
});
</script>)";
  auto html = page.str();
  html.insert(html.rfind("</body>"), probe);
  writeFile(realFileSystem(), dir_.file("wide.html"), [&](std::ostream& out) { out << html; });

  const auto result = testing::runHeadlessBrowser(*browser_, "file://" + dir_.file("wide.html"),
                                                  kNarrowWidth, 1000, {"--dump-dom"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("data-rendered=\"ok\""), std::string::npos);
  EXPECT_EQ(result.out.find("data-errors=\""), std::string::npos);
  static const std::regex measured(R"re(data-probe="(\d+),(\d+),(\d+),(\d+),(\d+),(\d+)")re");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(result.out, m, measured)) << result.out.substr(0, 600);
  const auto at = [&m](std::size_t i) { return std::stol(m[i].str()); };
  EXPECT_EQ(at(2), kNarrowWidth);
  EXPECT_LE(at(1), kNarrowWidth) << "the page scrolls sideways";
  EXPECT_LE(at(3), kNarrowWidth) << "the table is wider than the window";
  // Reasons in every row, a first error in the failed and the skipped run's.
  EXPECT_EQ(at(4), static_cast<long>(runs.size()) + 2);
  EXPECT_EQ(at(5), 0) << "cells whose text is cut";
  EXPECT_EQ(at(6), 0) << "cells outside the window or too narrow to read";
}

}  // namespace
}  // namespace duv
