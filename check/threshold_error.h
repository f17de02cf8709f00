#pragma once

// The settings that set a check's levels, and the error for values of them that cannot hold.
// The core names a setting in words ("the high VIF"); a front end names it as its users set it
// (the tool by its option, "--high-vif"), so the error keeps the setting and its rule as data
// and puts them into words on demand.

#include <stdexcept>
#include <string>
#include <string_view>

namespace duv {

enum class ThresholdSetting {
  mediumCorrelation,
  highCorrelation,
  mediumVif,
  highVif,
  mediumContrastVif,
  highContrastVif,
};

// "the medium correlation", "the high correlation", "the medium VIF", "the high VIF",
// "the medium contrast VIF", "the high contrast VIF".
std::string_view settingWords(ThresholdSetting setting);

// What a setting's value must be. The lower bound of a high setting is its medium one.
enum class ThresholdRule {
  aboveZeroAtMostOne,   // "<setting> must lie above 0 and at most 1"
  betweenMediumAndOne,  // "<setting> must lie between <its medium setting> and 1"
  atLeastOne,           // "<setting> must be at least 1"
  atLeastMedium,        // "<setting> must be at least <its medium setting>"
};

// A setting whose value breaks its rule. what() names the settings in words: "the high contrast
// VIF must be at least the medium contrast VIF".
class ThresholdError : public std::invalid_argument {
 public:
  using SettingNames = std::string_view (*)(ThresholdSetting);

  ThresholdError(ThresholdSetting setting, ThresholdRule rule);

  ThresholdSetting setting() const { return setting_; }
  ThresholdRule rule() const { return rule_; }
  // The rule in words, each setting named by `name` (what() is describe(settingWords)).
  std::string describe(SettingNames name) const;

 private:
  ThresholdSetting setting_;
  ThresholdRule rule_;
};

}  // namespace duv
