#pragma once

// The option texts that set the motion summary's thresholds (numerics/motion_summary.h).

#include <string_view>
#include <vector>

namespace duv {

// Which volumes become spikes. Only framewise displacement is known: "fd:<mm>" flags the
// volumes whose displacement lies strictly above <mm>.
struct SpikeCriterion {
  double displacementThreshold = 0.5;  // mm, positive
};

// Reads "fd:<mm>", <mm> a positive number written whole (decimal digits with an optional point
// and exponent, as in "fd:0.5" or "fd:5e-1"). Throws std::invalid_argument
//   "spike criterion \"<text>\": only fd:<mm> is known (framewise displacement in mm)" for text
//   that does not begin with "fd:";
//   "spike criterion \"<text>\": \"<number>\" is not a positive number of mm" otherwise.
SpikeCriterion parseSpikeCriterion(std::string_view text);

// Reads thresholds in mm separated by commas ("0.2,0.5"), each a positive number written whole,
// no blanks; kept in the order given. Throws std::invalid_argument
//   "threshold list \"<text>\": \"<item>\" is not a positive number of mm" for an item that is
//   not (an empty text, or two commas in a row, give the empty item "").
std::vector<double> parseThresholdList(std::string_view text);

}  // namespace duv
