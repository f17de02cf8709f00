#include "numerics/motion_rule.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "design/number_text.h"

namespace duv {
namespace {

constexpr MotionRule kRules[] = {MotionRule::stringent, MotionRule::lenient, MotionRule::none};

// The whole of `text` as a finite number of at least 0; nothing for anything else ("inf",
// "nan", trailing text, blanks, "-0.1").
std::optional<double> numberAtLeastZero(std::string_view text) {
  const char* first = text.data();
  const char* last = first + text.size();
  const auto scanned = scanDouble(first, last);
  if (scanned.status != NumberScan::ok || scanned.end != last) return std::nullopt;
  if (!std::isfinite(scanned.value) || !(scanned.value >= 0.0)) return std::nullopt;
  return scanned.value;
}

std::string quoted(std::string_view text) { return '"' + std::string(text) + '"'; }

std::string notMillimetres(std::string_view text) {
  return quoted(text) + " is not a number of mm, 0 or more";
}

}  // namespace

const char* motionRuleName(MotionRule rule) {
  switch (rule) {
    case MotionRule::stringent:
      return "stringent";
    case MotionRule::lenient:
      return "lenient";
    case MotionRule::none:
      return "none";
  }
  return "";
}

MotionRule parseMotionRule(std::string_view text) {
  for (const auto rule : kRules) {
    if (text == motionRuleName(rule)) return rule;
  }
  throw std::invalid_argument("unknown motion rule " + quoted(text) +
                              ": one of stringent, lenient, none");
}

MotionLimits motionLimitsOf(MotionRule rule) {
  MotionLimits limits;  // the stringent rule's
  limits.rule = rule;
  if (rule == MotionRule::stringent) return limits;
  limits.largestDisplacement.reset();
  limits.shareAbove.reset();
  limits.meanDisplacement.reset();
  if (rule == MotionRule::lenient) limits.meanDisplacement = 0.55;
  return limits;
}

double parseDisplacementLimit(std::string_view text) {
  const auto value = numberAtLeastZero(text);
  if (!value) throw std::invalid_argument(notMillimetres(text));
  return *value;
}

ShareLimit parseShareLimit(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) {
    throw std::invalid_argument(quoted(text) + " is not MM:PERCENT (as 0.2:20)");
  }
  const auto millimetres = text.substr(0, colon);
  const auto percent = text.substr(colon + 1);
  const auto threshold = numberAtLeastZero(millimetres);
  if (!threshold) throw std::invalid_argument(quoted(text) + ": " + notMillimetres(millimetres));
  const auto share = numberAtLeastZero(percent);
  if (!share || *share > 100.0) {
    throw std::invalid_argument(quoted(text) + ": " + quoted(percent) +
                                " is not a percentage from 0 to 100");
  }
  return ShareLimit{*threshold, *share / 100.0};
}

}  // namespace duv
