// Why a checked file is not ok: one short phrase per counted finding, worst first, head motion
// and the task's overlap with confounds before the task predictors among themselves.

#include "check/check_reasons.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/design_builder.h"

namespace duv {
namespace {

using Reasons = std::vector<std::string>;

// Positions of the checked file's columns: a nuisance term kept among the main predictors,
// two task predictors, two confounds and a constant.
enum Column : std::size_t { kDrift, kFace, kHouse, kTransX, kRotY, kConstant };

CheckWarning warningOf(CheckLevel level, WarningKind kind, std::vector<std::size_t> columns,
                       double value = 0.0, bool counted = true) {
  CheckWarning warning;
  warning.level = level;
  warning.kind = kind;
  warning.columns = std::move(columns);
  warning.value = value;
  warning.counted = counted;
  return warning;
}

// A file whose check holds `warnings` (in the order given, as checkDesign sorts them) and
// `contrasts`.
CheckedFile fileWith(std::vector<CheckWarning> warnings,
                     std::vector<ContrastCheck> contrasts = {}) {
  CheckedFile file;
  file.path = "run1.sdm";
  file.design = testing::makeDesign({"Drift", "Face", "House", "trans_x", "rot_y", "Constant"},
                                    std::vector<std::vector<float>>(6, std::vector<float>(20)), 4);
  const struct {
    const char* name;
    bool task;
    ColumnRole role;
    ColumnKind kind;
  } columns[] = {{"Drift", false, ColumnRole::main, ColumnKind::varying},
                 {"Face", true, ColumnRole::main, ColumnKind::varying},
                 {"House", true, ColumnRole::main, ColumnKind::varying},
                 {"trans_x", false, ColumnRole::confound, ColumnKind::varying},
                 {"rot_y", false, ColumnRole::confound, ColumnKind::varying},
                 {"Constant", false, ColumnRole::confound, ColumnKind::constant}};
  for (const auto& column : columns) {
    ColumnCheck check;
    check.name = column.name;
    check.task = column.task;
    check.role = column.role;
    check.kind = column.kind;
    file.check.columns.push_back(check);
  }
  file.check.dataPoints = 20;
  file.check.warnings = std::move(warnings);
  file.contrasts = std::move(contrasts);
  return file;
}

// The file with its drift constant too.
CheckedFile constantDrift(CheckedFile file) {
  file.check.columns[kDrift].kind = ColumnKind::constant;
  return file;
}

ContrastCheck contrastOf(const std::string& name, double vif, std::optional<CheckLevel> level,
                         std::vector<std::vector<std::size_t>> dependencies = {}) {
  ContrastCheck contrast;
  contrast.name = name;
  contrast.vif = vif;
  contrast.level = level;
  contrast.dependencies = std::move(dependencies);
  return contrast;
}

TEST(CheckReasonsTest, EachCountedFindingIsOneShortPhrase) {
  using enum CheckLevel;
  using enum WarningKind;
  const double infinity = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    CheckedFile file;
    Reasons expected;
  };
  const Case cases[] = {
      {"no warnings", fileWith({}), {}},
      {"a task predictor with a confound",
       fileWith({warningOf(high, correlation, {kFace, kTransX}, 0.8)}),
       {"Face ~ trans_x r = 0.80"}},
      {"the task predictor named first, r signed",
       fileWith({warningOf(medium, correlation, {kDrift, kHouse}, -0.456)}),
       {"House ~ Drift r = -0.46"}},
      {"two task predictors",
       fileWith({warningOf(high, correlation, {kFace, kHouse}, 0.75)}),
       {"Face ~ House r = 0.75"}},
      {"identical",
       fileWith({warningOf(error, identical, {kHouse, kRotY}, -1.0)}),
       {"House ~ rot_y identical"}},
      {"a VIF", fileWith({warningOf(high, vif, {kFace}, 12.06)}), {"Face VIF 12.1"}},
      {"a VIF in a dependency",
       fileWith({warningOf(high, vif, {kFace}, infinity)}),
       {"Face VIF inf"}},
      {"a dependency",
       fileWith({warningOf(error, dependency, {kFace, kHouse, kTransX})}),
       {"Face, House and trans_x linearly dependent"}},
      {"an all-zero column",
       fileWith({warningOf(error, dependency, {kHouse})}),
       {"House all zero"}},
      {"two constants",
       constantDrift(fileWith({warningOf(error, dependency, {kDrift, kConstant})})),
       {"Drift and Constant all constant"}},
      {"no residual degrees of freedom",
       fileWith({warningOf(error, degreesOfFreedom, {}, -4)}),
       {"no residual df: 20 data points, 6 predictors"}},
      {"not a number", fileWith({warningOf(error, nonFinite, {kFace})}), {"Face holds NaN or inf"}},
      {"a contrast's VIF",
       fileWith({}, {contrastOf("face-house", 12.06, high)}),
       {"contrast face-house cVIF 12.1"}},
      {"a contrast not estimable",
       fileWith({}, {contrastOf("face-house", infinity, error, {{kFace, kHouse}})}),
       {"contrast face-house not estimable"}},
      {"a contrast within its levels", fileWith({}, {contrastOf("face", 1.2, std::nullopt)}), {}},
      {"findings among confounds alone do not count",
       fileWith({warningOf(high, correlation, {kTransX, kRotY}, 0.9, false),
                 warningOf(high, vif, {kRotY}, 40.0, false)}),
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(reasonsOf(c.file, CheckRun{}), c.expected);
  }
}

TEST(CheckReasonsTest, WorstFirstAndWithinALevelMotionAndConfoundsBeforeTaskPairs) {
  using enum CheckLevel;
  using enum WarningKind;
  // As checkDesign sorts them: level, kind, size.
  auto file = fileWith(
      {warningOf(error, dependency, {kHouse, kTransX, kRotY}),
       warningOf(high, correlation, {kFace, kHouse}, 0.9),
       warningOf(high, correlation, {kFace, kTransX}, 0.72),
       warningOf(high, correlation, {kTransX, kRotY}, 0.95, false),
       warningOf(high, vif, {kFace}, 12.1), warningOf(medium, correlation, {kFace, kDrift}, 0.5),
       warningOf(medium, correlation, {kHouse, kRotY}, -0.45)},
      {contrastOf("face-house", 12.1, high), contrastOf("face", 6.0, medium)});
  std::vector<double> displacement(20, 0.0);
  displacement[3] = 5.2;
  file.motion = checkMotion("run1.par", displacement, {}, false, file.design, file.check);
  EXPECT_EQ(reasonsOf(file, CheckRun{}),
            (Reasons{"House, trans_x and rot_y linearly dependent", "mean FD 0.27 mm > 0.25",
                     "largest FD 5.20 mm > 5", "Face ~ trans_x r = 0.72", "Face ~ House r = 0.90",
                     "Face VIF 12.1", "contrast face-house cVIF 12.1", "Face ~ Drift r = 0.50",
                     "House ~ rot_y r = -0.45", "contrast face cVIF 6.0"}));
}

TEST(CheckReasonsTest, AFileNotReadOrNotCheckedGivesItsErrorOnOneLine) {
  CheckedFile file;
  file.path = "run1.sdm";
  file.readError = "run1.sdm, line 3: expected 2 values\nfound 1";
  EXPECT_EQ(reasonsOf(file, CheckRun{}), Reasons{"run1.sdm, line 3: expected 2 values found 1"});
  file.checkFailed = true;
  file.readError = "contrast \"c\" names \"X\", which the design does not have";
  EXPECT_EQ(reasonsOf(file, CheckRun{}), Reasons{*file.readError});
}

}  // namespace
}  // namespace duv
