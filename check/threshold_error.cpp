#include "check/threshold_error.h"

namespace duv {
namespace {

// The setting a high one must not fall below; a medium setting is its own.
ThresholdSetting mediumOf(ThresholdSetting setting) {
  switch (setting) {
    case ThresholdSetting::highCorrelation:
      return ThresholdSetting::mediumCorrelation;
    case ThresholdSetting::highVif:
      return ThresholdSetting::mediumVif;
    case ThresholdSetting::highContrastVif:
      return ThresholdSetting::mediumContrastVif;
    default:
      return setting;
  }
}

std::string described(ThresholdSetting setting, ThresholdRule rule,
                      ThresholdError::SettingNames name) {
  const std::string subject(name(setting));
  const std::string medium(name(mediumOf(setting)));
  switch (rule) {
    case ThresholdRule::aboveZeroAtMostOne:
      return subject + " must lie above 0 and at most 1";
    case ThresholdRule::betweenMediumAndOne:
      return subject + " must lie between " + medium + " and 1";
    case ThresholdRule::atLeastOne:
      return subject + " must be at least 1";
    case ThresholdRule::atLeastMedium:
      return subject + " must be at least " + medium;
  }
  return subject;
}

}  // namespace

std::string_view settingWords(ThresholdSetting setting) {
  switch (setting) {
    case ThresholdSetting::mediumCorrelation:
      return "the medium correlation";
    case ThresholdSetting::highCorrelation:
      return "the high correlation";
    case ThresholdSetting::mediumVif:
      return "the medium VIF";
    case ThresholdSetting::highVif:
      return "the high VIF";
    case ThresholdSetting::mediumContrastVif:
      return "the medium contrast VIF";
    case ThresholdSetting::highContrastVif:
      return "the high contrast VIF";
  }
  return "";
}

ThresholdError::ThresholdError(ThresholdSetting setting, ThresholdRule rule)
    : std::invalid_argument(described(setting, rule, settingWords)),
      setting_(setting),
      rule_(rule) {}

std::string ThresholdError::describe(SettingNames name) const {
  return described(setting_, rule_, name);
}

}  // namespace duv
