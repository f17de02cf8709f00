// The check page of a design is the same bytes whichever front end writes it: a study run, the
// merge the run stands for (--html), and `check --html` of the run's result with the same
// settings.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/study_copy_test.h"

namespace duv {
namespace {

using Arguments = std::vector<std::string>;

struct PageCase {
  const char* name;
  const char* confounds;  // the run's one confound input
  Arguments studyMore;    // the check's options of the study
  Arguments checkMore;    // the same settings for `check`
  // The merges' pages check with the default settings and without head motion, so they only
  // agree with a run whose confound input holds none.
  bool mergeToo;
};

class CheckPageTest : public testing::StudyCopyTest {};

TEST_F(CheckPageTest, EveryFrontEndWritesTheSameCheckPage) {
  const std::vector<PageCase> cases = {
      {"drift", "examples/sub01_drift.rtc", {}, {}, true},
      {"nuisance and thresholds",
       "examples/sub01_drift.rtc",
       {"--nuisance", "Condition D", "--high-r", "0.5", "--medium-vif", "2"},
       {"--nuisance", "Condition D", "--high-r", "0.5", "--medium-vif", "2"},
       false},
      {"motion and contrasts",
       "examples/sub01_bold_mcf.par",
       {"--contrasts", "examples/sub01_contrasts.tsv", "--fd-thresholds", "0.1,0.3"},
       {"--motion", "examples/sub01_bold_mcf.par", "--contrasts", "examples/sub01_contrasts.tsv",
        "--fd-thresholds", "0.1,0.3"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = std::string("out-") + c.name;
    const std::string stem = std::string(c.confounds).find("drift") != std::string::npos
                                 ? "sub01_task_drift"
                                 : "sub01_task_bold_mcf";
    const std::string design = out + "/" + stem + ".sdm";
    const std::string page = out + "/" + stem + ".html";

    Arguments study{
        "study",     "--primary", "examples/sub{sub}_task.sdm", "--confounds-from", c.confounds,
        "--out-dir", out};
    study.insert(study.end(), c.studyMore.begin(), c.studyMore.end());
    const auto studied = run(study);
    ASSERT_NE(studied.exitCode, 1) << studied.out << studied.err;
    const auto studyPage = text(page);

    Arguments check{"check", design, "--html", "check.html"};
    check.insert(check.end(), c.checkMore.begin(), c.checkMore.end());
    const auto checked = run(check);
    ASSERT_NE(checked.exitCode, 1) << checked.err;
    EXPECT_TRUE(text("check.html") == studyPage);

    if (!c.mergeToo) continue;
    // The merge writes its result and page where the run wrote them.
    const auto merged = run({"merge-all", "-q", "--primary", "examples/sub01_task.sdm", c.confounds,
                             "--out-dir", out, "--html", out});
    ASSERT_EQ(merged.exitCode, 0) << merged.err;
    EXPECT_TRUE(text(page) == studyPage);
  }
}

}  // namespace
}  // namespace duv
