// The task's view of a modern design: confounds that correlate among themselves are one
// summary line and do not make the design's status; a task predictor that follows head motion
// does.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "check/check_output.h"
#include "check/design_check.h"
#include "examples/generator/study_generator.h"

namespace duv {
namespace {

// 20 task predictors, the 24 motion terms and the cosine drifts of a 128 s filter over 1,000
// volumes (TR 2 s), then the constant: every task predictor's VIF is below 2. Made once.
const DesignMatrix& modernDesign() {
  static const DesignMatrix design = [] {
    examples::Random random(7);
    auto made = examples::taskDesign(20, 1000, random);
    examples::addStudyConfounds(made, 20 + 24 + 31 + 1, random);
    return made;
  }();
  return design;
}

std::size_t positionOf(const DesignMatrix& design, const std::string& name) {
  for (std::size_t p = 0; p < design.predictorNames.size(); ++p) {
    if (design.predictorNames[p] == name) return p;
  }
  ADD_FAILURE() << name << " is not in the design";
  return 0;
}

std::string textOf(const DesignMatrix& design, const CheckThresholds& thresholds) {
  CheckRun run;
  run.thresholds = thresholds;
  CheckedFile file;
  file.path = "modern.sdm";
  file.design = design;
  file.check = checkDesign(design, thresholds);
  run.files.push_back(std::move(file));
  std::ostringstream out;
  writeCheckText(run, out);
  return out.str();
}

std::size_t linesStartingWith(const std::string& text, const std::string& start) {
  std::size_t count = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(start, 0) == 0) ++count;
  }
  return count;
}

TEST(TaskViewTest, ConfoundsAmongThemselvesAreOneLineAndLeaveTheStatusOk) {
  const auto design = modernDesign();
  const auto check = checkDesign(design, {});
  ASSERT_TRUE(check.highestTaskVif());
  EXPECT_LT(*check.columns[*check.highestTaskVif()].vif, 2.0);
  EXPECT_FALSE(check.level());
  EXPECT_EQ(check.levelOfAll(), CheckLevel::high);
  const auto text = textOf(design, {});
  EXPECT_NE(text.find("modern.sdm: ok (no warnings)\n"), std::string::npos) << text;
  EXPECT_EQ(linesStartingWith(text, "  confounds: "), 1U) << text;
  EXPECT_EQ(linesStartingWith(text, "  HIGH"), 0U) << text;
}

TEST(TaskViewTest, ATaskPredictorFollowingHeadMotionMakesTheStatusHigh) {
  auto design = modernDesign();
  // Condition C becomes 0.8 z(Translation X) + 0.6 z(its own course): r = 0.8 with the motion.
  const auto zOf = [](const std::vector<float>& values) {
    std::vector<double> z(values.begin(), values.end());
    double mean = 0;
    for (const double v : z) mean += v;
    mean /= static_cast<double>(z.size());
    double squares = 0;
    for (const double v : z) squares += (v - mean) * (v - mean);
    for (double& v : z) v = (v - mean) / std::sqrt(squares);
    return z;
  };
  const auto motion = zOf(design.values[positionOf(design, "Translation X")]);
  auto& condition = design.values[positionOf(design, "Condition C")];
  auto own = zOf(condition);
  // Its own course made orthogonal to the motion first, so that r is 0.8 to two decimals.
  double overlap = 0;
  for (std::size_t t = 0; t < own.size(); ++t) overlap += own[t] * motion[t];
  double length = 0;
  for (std::size_t t = 0; t < own.size(); ++t) {
    own[t] -= overlap * motion[t];
    length += own[t] * own[t];
  }
  for (std::size_t t = 0; t < own.size(); ++t) {
    condition[t] = static_cast<float>(0.8 * motion[t] + 0.6 * own[t] / std::sqrt(length));
  }
  const auto check = checkDesign(design, {});
  EXPECT_EQ(check.level(), CheckLevel::high);
  const auto text = textOf(design, {});
  EXPECT_NE(text.find("  HIGH    Condition C and Translation X: r = 0.80\n"), std::string::npos)
      << text;
  // A drift term kept among the main predictors would count as a task predictor, unless named.
  CheckThresholds nuisance;
  nuisance.nuisancePatterns = {"Condition *"};
  EXPECT_FALSE(checkDesign(design, nuisance).level());
}

}  // namespace
}  // namespace duv
