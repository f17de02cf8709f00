#pragma once

// The limits a run's head motion must keep (framewise displacement, framewise_displacement.h),
// as labs set them: named sets from the literature on motion-exclusion criteria, each limit of
// which a user may set to a value of his own. Beyond any limit a run's motion is high.
//
//   stringent  mean FD > 0.25 mm, or more than 20 % of the volumes above 0.2 mm, or any FD > 5 mm
//   lenient    mean FD > 0.55 mm
//   none       no limit
//
// "Above" and "more than" are strict: a run exactly at a limit keeps it.

#include <optional>
#include <string_view>

namespace duv {

enum class MotionRule { stringent, lenient, none };

// "stringent", "lenient", "none".
const char* motionRuleName(MotionRule rule);

// The rule of that name. Throws std::invalid_argument "unknown motion rule \"<text>\": one of
// stringent, lenient, none".
MotionRule parseMotionRule(std::string_view text);

// At most `share` of the volumes may move more than `threshold`.
struct ShareLimit {
  double threshold = 0.0;  // mm
  double share = 0.0;      // of all volumes, 0 to 1
};

// The limits in force: those of a rule, each replaced by the user's own where given. A limit
// that is absent is not checked. Default: the stringent rule's.
struct MotionLimits {
  MotionRule rule = MotionRule::stringent;          // the set the limits come from, for the outputs
  std::optional<double> meanDisplacement = 0.25;    // mm, over volumes 2 ... n
  std::optional<double> largestDisplacement = 5.0;  // mm
  std::optional<ShareLimit> shareAbove = ShareLimit{0.2, 0.2};
};

// The limits of a named rule.
MotionLimits motionLimitsOf(MotionRule rule);

// Reads a limit in mm: a number written whole (as "0.25", "5", "2.5e-1"), finite, 0 or more.
// Throws std::invalid_argument "\"<text>\" is not a number of mm, 0 or more".
double parseDisplacementLimit(std::string_view text);

// Reads MM:PERCENT ("0.2:20": at most 20 % of the volumes above 0.2 mm), MM as
// parseDisplacementLimit reads it, PERCENT a number from 0 to 100. Throws std::invalid_argument
//   "\"<text>\" is not MM:PERCENT (as 0.2:20)" without a colon;
//   "\"<text>\": \"<mm>\" is not a number of mm, 0 or more";
//   "\"<text>\": \"<percent>\" is not a percentage from 0 to 100".
ShareLimit parseShareLimit(std::string_view text);

}  // namespace duv
