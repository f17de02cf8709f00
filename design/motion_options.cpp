#include "design/motion_options.h"

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include "design/number_text.h"

namespace duv {
namespace {

constexpr std::string_view kDisplacementPrefix = "fd:";

// The whole of `text` as a finite number above 0; nothing for anything else ("inf", "nan",
// trailing text, blanks).
std::optional<double> positiveNumber(std::string_view text) {
  const char* first = text.data();
  const char* last = first + text.size();
  const auto scanned = scanDouble(first, last);
  if (scanned.status != NumberScan::ok || scanned.end != last) return std::nullopt;
  if (!std::isfinite(scanned.value) || !(scanned.value > 0.0)) return std::nullopt;
  return scanned.value;
}

std::string quoted(std::string_view text) { return '"' + std::string(text) + '"'; }

}  // namespace

SpikeCriterion parseSpikeCriterion(std::string_view text) {
  const std::string context = "spike criterion " + quoted(text) + ": ";
  if (text.substr(0, kDisplacementPrefix.size()) != kDisplacementPrefix) {
    throw std::invalid_argument(context + "only fd:<mm> is known (framewise displacement in mm)");
  }
  const auto number = text.substr(kDisplacementPrefix.size());
  const auto threshold = positiveNumber(number);
  if (!threshold) {
    throw std::invalid_argument(context + quoted(number) + " is not a positive number of mm");
  }
  return SpikeCriterion{*threshold};
}

std::vector<double> parseThresholdList(std::string_view text) {
  std::vector<double> thresholds;
  std::size_t start = 0;
  for (;;) {
    const auto comma = text.find(',', start);
    const auto item =
        text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
    const auto threshold = positiveNumber(item);
    if (!threshold) {
      throw std::invalid_argument("threshold list " + quoted(text) + ": " + quoted(item) +
                                  " is not a positive number of mm");
    }
    thresholds.push_back(*threshold);
    if (comma == std::string_view::npos) return thresholds;
    start = comma + 1;
  }
}

}  // namespace duv
