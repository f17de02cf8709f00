#include "study/run_options.h"

#include <charconv>
#include <sstream>

namespace duv {
namespace {

// Shortest text that reads back as the same double, locale-independent.
std::string number(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A text that cannot be confused with the separators around it.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

}  // namespace

std::string canonicalText(const RunOptions& o) {
  std::ostringstream text;
  text << "baseline=" << o.baseline << ";ztrans=" << o.zTransform << ";reports=" << o.reports;
  text << ";confounds=";
  for (const auto& selector : o.confounds.selection) text << quoted(selector.text) << ',';
  text << ";skip=" << o.confounds.skipVolumes << ";skip-last=" << o.confounds.skipLastVolumes
       << ";derivatives=" << o.confounds.derivatives << ";squares=" << o.confounds.squares;
  text << ";spikes=" << (o.spikes ? number(o.spikes->criterion.displacementThreshold) : "none");
  text << ";motion-layout="
       << (o.motionReading.textLayout ? std::string(layoutName(*o.motionReading.textLayout))
                                      : "extension");
  const auto& t = o.thresholds;
  text << ";high-r=" << number(t.highCorrelation) << ";medium-r=" << number(t.mediumCorrelation)
       << ";high-vif=" << number(t.highVif) << ";medium-vif=" << number(t.mediumVif)
       << ";hide-confound-pairs=" << t.hideConfoundPairs << ";nuisance=";
  for (const auto& pattern : t.nuisancePatterns) text << quoted(pattern) << ',';
  text << ";high-cvif=" << number(o.contrastThresholds.highVif)
       << ";medium-cvif=" << number(o.contrastThresholds.mediumVif) << ";contrasts=";
  for (const auto& contrast : o.contrasts) {
    text << quoted(contrast.name) << ':';
    for (const auto& term : contrast.terms) {
      text << quoted(term.predictor) << '*' << number(term.weight) << ',';
    }
    text << ';';
  }
  text << ";fd-thresholds=";
  for (const double threshold : o.motion.thresholds) text << number(threshold) << ',';
  text << ";spike-fd=" << number(o.motion.spikeThreshold)
       << ";max-scrubbed=" << number(o.motion.maxFlaggedShare);
  // The rule and every limit in force, so that a run is done again when either changes.
  const auto& limits = o.motion.limits;
  const auto limit = [](const std::optional<double>& value) {
    return value ? number(*value) : std::string("none");
  };
  text << ";motion-rule=" << motionRuleName(limits.rule)
       << ";max-mean-fd=" << limit(limits.meanDisplacement)
       << ";max-fd=" << limit(limits.largestDisplacement) << ";max-share-above="
       << (limits.shareAbove
               ? number(limits.shareAbove->threshold) + ":" + number(limits.shareAbove->share)
               : std::string("none"));
  // Runs from events only, so that the records of other runs keep their text.
  if (o.events) {
    const auto& d = o.events->design;
    text << ";events:tr=" << number(d.repetitionTime) << ";volumes=" << d.volumes
         << ";hrf=" << static_cast<int>(d.hrf) << ";fir-delays=";
    for (const int delay : d.firDelays) text << delay << ',';
    text << ";drift=" << static_cast<int>(d.drift) << ";high-pass=" << number(d.highPass)
         << ";drift-order=" << d.driftOrder << ";slice-time-ref=" << number(d.sliceTimeReference)
         << ";min-onset=" << number(d.minOnset) << ";oversampling=" << d.oversampling
         << ";conditions=";
    for (const auto& name : o.events->conditions) text << quoted(name) << ',';
  }
  // Only when given, so that the records of runs without them stay up to date.
  if (!o.exports.empty()) text << ";export=" << exportNames(o.exports);
  if (!o.taskColumns.empty()) {
    text << ";task-columns=";
    for (const auto& name : o.taskColumns) text << quoted(name) << ',';
  }
  return text.str();
}

}  // namespace duv
