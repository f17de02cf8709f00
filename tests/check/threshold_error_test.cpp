// The thresholds' rules, and their errors named in words or by a front end's own names.

#include "check/threshold_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "check/contrasts.h"
#include "check/design_check.h"

namespace duv {
namespace {

std::string_view shortName(ThresholdSetting setting) {
  return setting == ThresholdSetting::highContrastVif ? "H" : "M";
}

TEST(ThresholdErrorTest, EachBrokenRuleNamesItsSetting) {
  struct Case {
    const char* name;
    std::function<void()> validate;
    ThresholdSetting setting;
    std::string words;
  };
  const auto checkWith = [](auto change) {
    return [change] {
      CheckThresholds t;
      change(t);
      validateThresholds(t);
    };
  };
  const auto contrastsWith = [](double medium, double high) {
    return [medium, high] { validateContrastThresholds({high, medium}); };
  };
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const std::vector<Case> cases = {
      {"medium r of 0", checkWith([](CheckThresholds& t) { t.mediumCorrelation = 0.0; }),
       ThresholdSetting::mediumCorrelation,
       "the medium correlation must lie above 0 and at most 1"},
      {"medium r above 1", checkWith([](CheckThresholds& t) { t.mediumCorrelation = 1.5; }),
       ThresholdSetting::mediumCorrelation,
       "the medium correlation must lie above 0 and at most 1"},
      {"high r below medium", checkWith([](CheckThresholds& t) { t.highCorrelation = 0.3; }),
       ThresholdSetting::highCorrelation,
       "the high correlation must lie between the medium correlation and 1"},
      {"high r above 1", checkWith([](CheckThresholds& t) { t.highCorrelation = 1.01; }),
       ThresholdSetting::highCorrelation,
       "the high correlation must lie between the medium correlation and 1"},
      {"medium VIF below 1", checkWith([](CheckThresholds& t) { t.mediumVif = 0.9; }),
       ThresholdSetting::mediumVif, "the medium VIF must be at least 1"},
      {"high VIF infinite", checkWith([](CheckThresholds& t) { t.highVif = infinity; }),
       ThresholdSetting::highVif, "the high VIF must be at least the medium VIF"},
      {"medium contrast VIF below 1", contrastsWith(0.5, 10.0), ThresholdSetting::mediumContrastVif,
       "the medium contrast VIF must be at least 1"},
      {"high contrast VIF below medium", contrastsWith(5.0, 4.0), ThresholdSetting::highContrastVif,
       "the high contrast VIF must be at least the medium contrast VIF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.validate();
      ADD_FAILURE() << "no error";
    } catch (const ThresholdError& error) {
      EXPECT_EQ(error.setting(), c.setting);
      EXPECT_EQ(error.what(), c.words);
    }
  }
}

TEST(ThresholdErrorTest, AFrontEndNamesTheSettingsItsOwnWay) {
  const ThresholdError error(ThresholdSetting::highContrastVif, ThresholdRule::atLeastMedium);
  EXPECT_EQ(error.describe(shortName), "H must be at least M");
  EXPECT_EQ(error.describe(settingWords), error.what());
}

}  // namespace
}  // namespace duv
