#include "study/dot_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "check/cell_text.h"
#include "check/page_kit.h"
#include "study/tukey_fences.h"

namespace duv {
namespace {

// Layout, in CSS pixels.
constexpr double kWidth = 560;
constexpr double kHeight = 400;
constexpr double kAxisX = 58;
constexpr double kBoxLeft = 70;
constexpr double kBoxWidth = 16;
constexpr double kStripLeft = 100;
constexpr double kStripRight = 300;
constexpr double kLabelX = 322;
constexpr double kInfinityBand = 28;  // height of the band of infinite values
constexpr double kTopMargin = 12;
constexpr double kBottomMargin = 20;
constexpr double kBinHeight = 5;  // dots this close in height spread sideways
constexpr double kDotStep = 5;    // sideways, at most
constexpr double kDotRadius = 2.5;
constexpr double kOutlierRadius = 3.3;
constexpr double kLabelLine = 13;  // height of one outlier's label

// The axis reaches no further than kFarthest either way, nor, logarithmic, below kNearestZero;
// values beyond lie at its ends. Within these, its steps and ticks are normal doubles: a record
// may hold any double, and an axis spanning the largest ones, or tiny subnormal ones, would
// overflow or underflow its steps to infinity or zero.
constexpr double kFarthest = 1e300;
constexpr double kNearestZero = 1e-300;
constexpr double kMostTickedDecades = 10;  // beyond, a tick every few decades

std::string valueText(double value, int decimals, const std::string& unit) {
  const std::string number = std::isinf(value) ? "&#8734;" : fixedDecimals(value, decimals);
  return unit.empty() ? number : number + " " + escapedHtml(unit);
}

// The measure's axis: from `low` to `high`, linear or logarithmic, with its ticks.
struct Axis {
  bool logarithmic = false;
  double low = 0.0;
  double high = 1.0;
  double top = 0.0;     // pixel of `high`
  double bottom = 0.0;  // pixel of `low`
  std::vector<double> ticks;

  double at(double value) const {
    if (std::isinf(value)) return value > 0 ? top - kInfinityBand / 2 : bottom;
    const auto scaled = [this](double v) { return logarithmic ? std::log10(v) : v; };
    const double t =
        (scaled(std::clamp(value, low, high)) - scaled(low)) / (scaled(high) - scaled(low));
    // Not a number only for an axis of no length, which the axes below never make.
    return bottom - (std::isnan(t) ? 0.0 : std::clamp(t, 0.0, 1.0)) * (bottom - top);
  }
};

// 1, 2 or 5 times a power of ten: the smallest at or above `value` (> 0).
double niceCeiling(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double step : {1.0, 2.0, 5.0, 10.0}) {
    if (step * power >= value * (1 - 1e-12)) return step * power;
  }
  return 10 * power;
}

Axis linearAxis(double lowest, double highest) {
  Axis axis;
  axis.low = std::min(0.0, lowest);
  double span = highest - axis.low;
  if (!(span >= kNearestZero)) span = 1.0;
  // A step too small to tell from the axis's low end (values all near a large negative one)
  // would give no axis at all.
  span = std::max(span, std::abs(axis.low) * 1e-6);
  const double step = niceCeiling(span / 5);
  axis.high = axis.low + std::ceil(span / step - 1e-9) * step;
  const auto steps = std::lround((axis.high - axis.low) / step);
  for (long k = 0; k <= steps; ++k) {
    const double tick = axis.low + static_cast<double>(k) * step;
    axis.ticks.push_back(std::abs(tick) < step * 1e-9 ? 0.0 : tick);
  }
  return axis;
}

// 1, 2 or 5 times a power of ten: the largest at or below `value` (> 0).
double niceFloor(double value) {
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double step : {5.0, 2.0, 1.0}) {
    if (step * power <= value * (1 + 1e-12)) return step * power;
  }
  return power;
}

Axis logarithmicAxis(double lowest, double highest) {
  Axis axis;
  axis.logarithmic = true;
  axis.low = std::min(1.0, niceFloor(lowest));
  axis.high = std::max(niceCeiling(highest), axis.low * 10);
  const double decades = std::log10(axis.high / axis.low);
  const auto first = std::lround(std::floor(std::log10(axis.low) + 1e-9));
  const auto last = std::lround(std::ceil(std::log10(axis.high) - 1e-9));
  const auto every = std::lround(std::ceil(std::max(1.0, decades / kMostTickedDecades)));
  for (long exponent = first; exponent <= last; ++exponent) {
    if ((exponent - first) % every != 0) continue;
    const double power = std::pow(10.0, static_cast<double>(exponent));
    for (const double step : {1.0, 2.0, 5.0}) {
      const double tick = step * power;
      if ((step == 1.0 || decades <= 3) && tick >= axis.low * 0.9999 &&
          tick <= axis.high * 1.0001) {
        axis.ticks.push_back(tick);
      }
    }
  }
  return axis;
}

std::string tickText(const Axis& axis, double tick) {
  const double span = axis.high - axis.low;
  int decimals = 0;
  if (!axis.logarithmic) {
    while (decimals < 6 && std::abs(tick * std::pow(10.0, decimals) -
                                    std::round(tick * std::pow(10.0, decimals))) > 1e-6 * span) {
      ++decimals;
    }
  } else if (tick < 1) {
    decimals = static_cast<int>(std::ceil(-std::log10(tick) - 1e-9));
  }
  return fixedDecimals(tick, decimals);
}

// The dots' sideways positions: those within one bin of height spread from the strip's
// middle, right and left in turn, closer when many.
std::vector<double> dotXs(const std::vector<DotPlotRun>& runs, const std::vector<double>& ys) {
  std::vector<std::size_t> order(runs.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto binOf = [&](std::size_t i) { return std::floor(ys[i] / kBinHeight); };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return binOf(a) != binOf(b) ? binOf(a) < binOf(b) : runs[a].value < runs[b].value;
  });
  std::vector<double> xs(runs.size());
  const double middle = (kStripLeft + kStripRight) / 2;
  for (std::size_t begin = 0; begin < order.size();) {
    std::size_t end = begin;
    while (end < order.size() && binOf(order[end]) == binOf(order[begin])) ++end;
    const double room = kStripRight - kStripLeft - 2 * kOutlierRadius;
    const double step = std::min(kDotStep, room / static_cast<double>(end - begin));
    for (std::size_t k = begin; k < end; ++k) {
      const auto j = static_cast<double>(k - begin);
      const double side = (k - begin) % 2 == 0 ? -1.0 : 1.0;
      xs[order[k]] = middle + side * std::ceil(j / 2) * step;
    }
    begin = end;
  }
  return xs;
}

// Baselines of the outliers' labels, top down: each near its dot, none closer than a line to
// the next, all within [top, bottom].
std::vector<double> labelBaselines(const std::vector<double>& wanted, double top, double bottom) {
  std::vector<double> ys = wanted;
  for (std::size_t i = 0; i < ys.size(); ++i) {
    ys[i] = std::max(ys[i], i == 0 ? top : ys[i - 1] + kLabelLine);
  }
  for (std::size_t i = ys.size(); i-- > 0;) {
    ys[i] = std::min(ys[i], i + 1 == ys.size() ? bottom : ys[i + 1] - kLabelLine);
  }
  return ys;
}

std::string boxAndWhiskers(const Axis& axis, const TukeySummary& summary) {
  const double left = kBoxLeft;
  const double right = kBoxLeft + kBoxWidth;
  const double middle = left + kBoxWidth / 2;
  const auto hline = [](double x1, double x2, double y, const char* cls) {
    return "<line class=\"" + std::string(cls) + "\" x1=\"" + px(x1) + "\" x2=\"" + px(x2) +
           "\" y1=\"" + px(y) + "\" y2=\"" + px(y) + "\"/>";
  };
  const auto vline = [](double x, double y1, double y2) {
    return "<line class=\"whisker\" x1=\"" + px(x) + "\" x2=\"" + px(x) + "\" y1=\"" + px(y1) +
           "\" y2=\"" + px(y2) + "\"/>";
  };
  const double q1 = axis.at(summary.q1);
  const double q3 = axis.at(summary.q3);
  const double low = axis.at(summary.lowest);
  const double high = axis.at(summary.highestInside);
  return vline(middle, low, q1) + vline(middle, q3, high) +
         hline(left + 4, right - 4, low, "whisker") + hline(left + 4, right - 4, high, "whisker") +
         "<rect class=\"box\" x=\"" + px(left) + "\" y=\"" + px(q3) + "\" width=\"" +
         px(kBoxWidth) + "\" height=\"" + px(std::max(q1 - q3, 1.0)) + "\"/>" +
         hline(left, right, axis.at(summary.median), "median");
}

std::string axisSvg(const Axis& axis, bool infinities) {
  std::string svg = "<line class=\"axis-line\" x1=\"" + px(kAxisX) + "\" x2=\"" + px(kAxisX) +
                    "\" y1=\"" + px(axis.top) + "\" y2=\"" + px(axis.bottom) + "\"/>";
  for (const double tick : axis.ticks) {
    const double y = axis.at(tick);
    svg += "<line class=\"grid\" x1=\"" + px(kAxisX) + "\" x2=\"" + px(kStripRight) + "\" y1=\"" +
           px(y) + "\" y2=\"" + px(y) + "\"/><text class=\"axis\" x=\"" + px(kAxisX - 5) +
           "\" y=\"" + px(y + 4) + "\" text-anchor=\"end\">" + tickText(axis, tick) + "</text>";
  }
  if (infinities) {
    const double y = axis.top - kInfinityBand / 2;
    svg += "<rect class=\"band\" x=\"" + px(kAxisX) + "\" y=\"" + px(axis.top - kInfinityBand) +
           "\" width=\"" + px(kStripRight - kAxisX) + "\" height=\"" + px(kInfinityBand - 6) +
           "\"/><text class=\"axis\" x=\"" + px(kAxisX - 5) + "\" y=\"" + px(y + 2) +
           "\" text-anchor=\"end\">&#8734;</text>";
  }
  return svg;
}

std::string dotSvg(const DotPlotRun& run, double x, double y, bool outlier, const DotPlot& plot) {
  std::string dot = "<circle cx=\"" + px(x) + "\" cy=\"" + px(y) + "\" r=\"" +
                    px(outlier ? kOutlierRadius : kDotRadius) + "\" fill=\"" +
                    dotColour(run.status) + "\"" + (outlier ? " class=\"outlier\"" : "") +
                    "><title>" + escapedHtml(run.label) + ": " +
                    valueText(run.value, plot.decimals, plot.unit) + "</title></circle>";
  if (run.link.empty()) return dot;
  return "<a href=\"" + escapedHtml(run.link) + "\">" + dot + "</a>";
}

// Each limit a solid line from the axis across the strip, its label at the strip's left end
// (the fence's is at its right), above the line.
std::string limitsSvg(const std::vector<DotPlotLimit>& limits, const Axis& axis) {
  std::string svg;
  for (const auto& limit : limits) {
    const double y = axis.at(limit.value);
    svg += "<line class=\"limit\" x1=\"" + px(kAxisX) + "\" x2=\"" + px(kStripRight) + "\" y1=\"" +
           px(y) + "\" y2=\"" + px(y) + "\"/><text class=\"limit-label\" x=\"" + px(kStripLeft) +
           "\" y=\"" + px(y - 4) + "\">" + escapedHtml(limit.label) + "</text>";
  }
  return svg;
}

std::string runLink(const DotPlotRun& run) {
  if (run.link.empty()) return escapedHtml(run.label);
  return "<a href=\"" + escapedHtml(run.link) + "\">" + escapedHtml(run.label) + "</a>";
}

std::string notes(const DotPlot& plot, const TukeySummary& summary) {
  const auto value = [&](double v) { return valueText(v, plot.decimals, ""); };
  std::string html = "<p class=\"legend\">" + std::to_string(plot.runs.size()) +
                     (plot.runs.size() == 1 ? " run" : " runs") + " &middot; median " +
                     value(summary.median) + " &middot; quartiles " + value(summary.q1) + " to " +
                     value(summary.q3) + " &middot; upper fence Q3 + 1.5 IQR " +
                     value(summary.upperFence);
  for (const auto& limit : plot.limits) {
    const auto above =
        std::count_if(plot.runs.begin(), plot.runs.end(),
                      [&](const DotPlotRun& run) { return run.value > limit.value; });
    html += " &middot; " + escapedHtml(limit.label) + ": " + std::to_string(above) +
            (above == 1 ? " run" : " runs") + " above";
  }
  if (plot.withoutValue > 0) {
    html += " &middot; " + std::to_string(plot.withoutValue) +
            (plot.withoutValue == 1 ? " run" : " runs") + " without a value left out";
  }
  html += "</p>";
  if (summary.outliers.empty()) {
    return html + "<p class=\"outliers none\">No run above the fence.</p>";
  }
  html += "<p class=\"outliers\">Above the fence (" + std::to_string(summary.outliers.size()) +
          "):</p><ol class=\"outliers\">";
  for (const std::size_t i : summary.outliers) {
    const auto& run = plot.runs[i];
    html += "<li>" + runLink(run) + " <span class=\"value\">" +
            valueText(run.value, plot.decimals, plot.unit) + "</span></li>";
  }
  return html + "</ol>";
}

}  // namespace

std::string dotPlotFigure(const DotPlot& plot) {
  const std::string caption = "<figcaption>" + escapedHtml(plot.caption) + "</figcaption>";
  if (plot.runs.empty()) {
    return "<figure class=\"distribution\">" + caption + "<p class=\"note\">No run has this value" +
           (plot.withoutValue > 0 ? " (" + std::to_string(plot.withoutValue) + " without it)"
                                  : "") +
           ".</p></figure>";
  }
  std::vector<double> values;
  values.reserve(plot.runs.size());
  for (const auto& run : plot.runs) values.push_back(run.value);
  const auto summary = tukeySummary(values);

  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();
  for (const double value : values) {
    if (!std::isfinite(value)) continue;
    lowest = std::min(lowest, std::clamp(value, -kFarthest, kFarthest));
    highest = std::max(highest, std::clamp(value, -kFarthest, kFarthest));
  }
  const bool infinities =
      std::any_of(values.begin(), values.end(), [](double v) { return std::isinf(v); });
  if (std::isinf(lowest)) {  // only infinities
    lowest = 1.0;
    highest = 1.0;
  }
  // The fence and the limits are drawn too when they lie above every value.
  if (std::isfinite(summary.upperFence)) {
    highest = std::max(highest, std::min(summary.upperFence, kFarthest));
  }
  for (const auto& limit : plot.limits) {
    highest = std::max(highest, std::clamp(limit.value, -kFarthest, kFarthest));
    lowest = std::min(lowest, std::clamp(limit.value, -kFarthest, kFarthest));
  }
  Axis axis = plot.logarithmic && lowest > 0
                  ? logarithmicAxis(std::max(lowest, kNearestZero), std::max(highest, kNearestZero))
                  : linearAxis(lowest, highest);
  axis.top = kTopMargin + (infinities ? kInfinityBand : 0);
  axis.bottom = kHeight - kBottomMargin;

  std::vector<double> ys;
  ys.reserve(values.size());
  for (const double value : values) ys.push_back(axis.at(value));
  const auto xs = dotXs(plot.runs, ys);
  std::vector<bool> outlier(values.size(), false);
  for (const std::size_t i : summary.outliers) outlier[i] = true;

  std::string svg = "<svg class=\"chart\" width=\"" + px(kWidth) + "\" height=\"" + px(kHeight) +
                    "\" role=\"img\" aria-label=\"" + escapedHtml(plot.caption) +
                    "\" data-figure=\"" + escapedHtml(plot.figure) + "\">";
  svg += axisSvg(axis, infinities) + boxAndWhiskers(axis, summary);
  const bool fenced = std::isfinite(summary.upperFence);
  const double fenceY = fenced ? axis.at(summary.upperFence) : 0.0;
  if (fenced) {
    svg += "<line class=\"fence\" x1=\"" + px(kBoxLeft - 6) + "\" x2=\"" + px(kStripRight) +
           "\" y1=\"" + px(fenceY) + "\" y2=\"" + px(fenceY) + "\"/>";
  }
  // Outliers last, above the others.
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!outlier[i]) svg += dotSvg(plot.runs[i], xs[i], ys[i], false, plot);
  }
  for (const std::size_t i : summary.outliers) {
    svg += dotSvg(plot.runs[i], xs[i], ys[i], true, plot);
  }
  if (fenced) {
    svg += "<text class=\"fence-label\" x=\"" + px(kStripRight) + "\" y=\"" + px(fenceY - 4) +
           "\" text-anchor=\"end\">Q3 + 1.5 IQR</text>";
  }
  svg += limitsSvg(plot.limits, axis);

  const auto room = static_cast<std::size_t>((axis.bottom - 4) / kLabelLine);
  const bool cut = summary.outliers.size() > room;
  const std::size_t labelled = cut ? room - 1 : summary.outliers.size();
  std::vector<double> wanted;
  for (std::size_t k = 0; k < labelled; ++k) wanted.push_back(ys[summary.outliers[k]] + 4);
  if (cut) wanted.push_back(axis.bottom);
  const auto baselines = labelBaselines(wanted, 12, axis.bottom + 4);
  for (std::size_t k = 0; k < labelled; ++k) {
    const std::size_t i = summary.outliers[k];
    const auto& run = plot.runs[i];
    svg += "<g class=\"named\"><line class=\"leader\" x1=\"" + px(xs[i] + kOutlierRadius + 1) +
           "\" y1=\"" + px(ys[i]) + "\" x2=\"" + px(kLabelX - 4) + "\" y2=\"" +
           px(baselines[k] - 4) + "\"/><text class=\"label\" x=\"" + px(kLabelX) + "\" y=\"" +
           px(baselines[k]) + "\"><title>" + escapedHtml(run.label) + "</title>" +
           escapedHtml(run.shortLabel) + " <tspan class=\"value\">" +
           valueText(run.value, plot.decimals, "") + "</tspan></text></g>";
  }
  if (cut) {
    svg += "<text class=\"label more\" x=\"" + px(kLabelX) + "\" y=\"" + px(baselines.back()) +
           "\">and " + std::to_string(summary.outliers.size() - labelled) +
           " more, listed below</text>";
  }
  svg += "</svg>";
  return "<figure class=\"distribution\">" + caption + svg + notes(plot, summary) + "</figure>";
}

}  // namespace duv
