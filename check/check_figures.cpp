#include "check/check_figures.h"

#include <algorithm>
#include <cmath>

#include "check/cell_text.h"
#include "check/page_kit.h"

namespace duv {
namespace {

// Layout, in CSS pixels.
constexpr double kBarLength = 320;
constexpr double kBarRow = 18;

std::string dataUri(const RgbImage& image) {
  return "data:image/png;base64," + base64(encodePng(image));
}

}  // namespace

std::string hex(Rgb colour) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t part : {colour.red, colour.green, colour.blue}) {
    text += kDigits[part >> 4];
    text += kDigits[part & 15];
  }
  return text;
}

std::string imageTag(const RgbImage& image, double left, double top, double width, double height,
                     const std::string& alt) {
  return "<img alt=\"" + escapedHtml(alt) + "\" src=\"" + dataUri(image) +
         "\" style=\"left:" + px(left) + "px;top:" + px(top) + "px;width:" + px(width) +
         "px;height:" + px(height) + "px\">";
}

const char* levelColour(const std::optional<CheckLevel>& level) {
  return level ? statusColour(statusOfLevel(level)) : kTextColour;
}

std::string predictorLabel(const PredictorLabels& labels, const std::string& name) {
  return escapedHtml(labels.at(name));
}

double labelLength(const DesignCheck& check, const std::vector<std::size_t>& positions,
                   const PredictorLabels& labels) {
  // Bytes up to the longest label's characters, as the widths always were measured, or the
  // characters of a longer label (a name kept whole to tell it apart).
  std::size_t longest = 1;
  for (const std::size_t p : positions) {
    const auto& label = labels.at(check.columns[p].name);
    longest =
        std::max({longest, std::min(kLongestPredictorLabel, label.size()), characterCount(label)});
  }
  return static_cast<double>(longest) * kLabelCharacterWidth + 8;
}

std::string barsFigure(const CheckedFile& file, const CheckThresholds& thresholds,
                       const std::vector<std::size_t>& positions, const std::string& caption,
                       const std::string& figureName, const PredictorLabels& labels) {
  const auto& check = file.check;
  const std::size_t m = positions.size();
  if (m == 0) {
    return "<figure><figcaption>" + caption + "</figcaption><p>No varying predictors.</p>" +
           "</figure>";
  }
  const double labelRoom = labelLength(check, positions, labels);
  const double left = labelRoom + 6;
  const double top = 24;
  const double width = left + kBarLength + 190;
  const double height = top + static_cast<double>(m) * kBarRow + 20;
  std::string svg = "<svg class=\"chart\" width=\"" + px(width) + "\" height=\"" + px(height) +
                    "\" role=\"img\" aria-label=\"R squared and VIF per predictor\">"
                    "<g data-figure=\"" +
                    figureName + "\">";
  svg += "<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(kBarLength) +
         "\" height=\"" + px(static_cast<double>(m) * kBarRow) + "\" fill=\"#f4f4f4\"/>";
  for (std::size_t i = 0; i < m; ++i) {
    const auto& column = check.columns[positions[i]];
    const double y = top + static_cast<double>(i) * kBarRow;
    const double vif = *column.vif;
    const double share = std::clamp(*column.rSquared, 0.0, 1.0);
    const char* colour = std::isinf(vif)               ? "#8c0018"
                         : vif >= thresholds.highVif   ? "#ec702c"
                         : vif >= thresholds.mediumVif ? "#e8b23a"
                                                       : "#7a9cc6";
    svg +=
        "<text class=\"label\" x=\"" + px(left - 6) + "\" y=\"" + px(y + 13) +
        "\" text-anchor=\"end\">" + predictorLabel(labels, column.name) + "</text><rect x=\"" +
        px(left) + "\" y=\"" + px(y + 3) + "\" width=\"" + px(share * kBarLength) + "\" height=\"" +
        px(kBarRow - 6) + "\" fill=\"" + colour + "\"><title>" + escapedHtml(column.name) +
        ": R2 = " + fixedDecimals(*column.rSquared, 4) + ", VIF = " + fixedDecimals(vif, 2) +
        "</title></rect><text class=\"value\" x=\"" + px(left + kBarLength + 8) + "\" y=\"" +
        px(y + 13) + "\">R&sup2; " + fixedDecimals(*column.rSquared, 3) + " &middot; VIF " +
        (std::isinf(vif) ? std::string("&#8734; (dependency)") : fixedDecimals(vif, 1)) + "</text>";
  }
  // The VIF thresholds as R² = 1 - 1 / VIF, labelled on either side of their lines (they lie
  // close together: R² 0.8 and 0.9 by default).
  const double bottom = top + static_cast<double>(m) * kBarRow;
  const double thresholdVifs[] = {thresholds.mediumVif, thresholds.highVif};
  for (std::size_t i = 0; i < 2; ++i) {
    const double vif = thresholdVifs[i];
    const double x = left + (1.0 - 1.0 / vif) * kBarLength;
    svg += "<line x1=\"" + px(x) + "\" x2=\"" + px(x) + "\" y1=\"" + px(top - 14) + "\" y2=\"" +
           px(bottom) + "\" class=\"threshold\"/><text class=\"axis\" x=\"" +
           px(i == 0 ? x - 3 : x + 3) + "\" y=\"" + px(top - 6) + "\" text-anchor=\"" +
           (i == 0 ? "end" : "start") + "\">VIF " + fixedDecimals(vif, 0) + "</text>";
  }
  svg += "<text class=\"axis\" x=\"" + px(left) + "\" y=\"" + px(bottom + 14) +
         "\" text-anchor=\"middle\">0</text><text class=\"axis\" x=\"" + px(left + kBarLength / 2) +
         "\" y=\"" + px(bottom + 14) +
         "\" text-anchor=\"middle\">R&sup2; 0.5</text><text class=\"axis\" x=\"" +
         px(left + kBarLength) + "\" y=\"" + px(bottom + 14) + "\" text-anchor=\"middle\">1</text>";
  svg += "</g></svg>";
  return "<figure><figcaption>" + caption + "</figcaption>" + svg + "</figure>";
}

// Framewise displacement over time, the thresholds as dashed lines and the flagged volumes as
// red ticks above the trace. Longer runs than the plot has pixels show each pixel's largest
// displacement, so that no spike is lost.
std::string displacementFigure(const MotionCheck& motion, const MotionSummaryOptions& options) {
  constexpr double kWidth = 760;
  constexpr double kHeight = 170;
  constexpr double kLeft = 48;
  constexpr double kTop = 16;
  const double plotWidth = kWidth - kLeft - 110;
  const double plotHeight = kHeight - kTop - 30;
  const auto& fd = motion.displacement;
  const std::size_t n = fd.size();
  double top = std::max(motion.summary.maxDisplacement, options.spikeThreshold);
  for (const double threshold : options.thresholds) top = std::max(top, threshold);
  top *= 1.1;
  const auto xOf = [&](double volume) {
    return kLeft + (n > 1 ? volume / static_cast<double>(n - 1) : 0.0) * plotWidth;
  };
  const auto yOf = [&](double value) { return kTop + plotHeight * (1.0 - value / top); };
  std::string svg = "<svg class=\"chart\" width=\"" + px(kWidth) + "\" height=\"" + px(kHeight) +
                    "\" role=\"img\" aria-label=\"framewise displacement\">" +
                    "<g data-figure=\"fd\"><rect x=\"" + px(kLeft) + "\" y=\"" + px(kTop) +
                    "\" width=\"" + px(plotWidth) + "\" height=\"" + px(plotHeight) +
                    "\" fill=\"#f7f7f7\"/>";
  const auto bins = std::min<std::size_t>(n, static_cast<std::size_t>(plotWidth));
  std::string points;
  for (std::size_t b = 0; b < bins; ++b) {
    const std::size_t begin = b * n / bins;
    const std::size_t end = std::max(begin + 1, (b + 1) * n / bins);
    const auto largest = std::max_element(fd.begin() + static_cast<std::ptrdiff_t>(begin),
                                          fd.begin() + static_cast<std::ptrdiff_t>(end));
    const double volume = static_cast<double>(largest - fd.begin());
    points += (points.empty() ? "" : " ") + px(xOf(volume)) + "," + px(yOf(*largest));
  }
  svg += "<polyline fill=\"none\" stroke=\"" + std::string(kMainColour) +
         "\" stroke-width=\"1.2\" points=\"" + points + "\"/>";
  const auto line = [&](double value, const std::string& text) {
    const double y = yOf(value);
    return "<line x1=\"" + px(kLeft) + "\" x2=\"" + px(kLeft + plotWidth) + "\" y1=\"" + px(y) +
           "\" y2=\"" + px(y) + "\" class=\"threshold\"/><text class=\"axis\" x=\"" +
           px(kLeft + plotWidth + 6) + "\" y=\"" + px(y + 4) + "\">" + text + "</text>";
  };
  for (const double threshold : options.thresholds) {
    if (threshold != options.spikeThreshold) svg += line(threshold, fixedDecimals(threshold, 2));
  }
  svg += line(options.spikeThreshold, fixedDecimals(options.spikeThreshold, 2) + " spikes");
  for (const std::size_t volume : motion.summary.flaggedVolumes) {
    const double x = xOf(static_cast<double>(volume));
    svg += "<line x1=\"" + px(x) + "\" x2=\"" + px(x) + "\" y1=\"" + px(kTop - 10) + "\" y2=\"" +
           px(kTop - 2) + "\" class=\"flagged\"><title>volume " + std::to_string(volume + 1) +
           ": FD " + fixedDecimals(fd[volume], 2) + " mm</title></line>";
  }
  svg += "<text class=\"axis\" x=\"" + px(kLeft - 6) + "\" y=\"" + px(kTop + 8) +
         "\" text-anchor=\"end\">" + fixedDecimals(top, 2) + "</text><text class=\"axis\" x=\"" +
         px(kLeft - 6) + "\" y=\"" + px(kTop + plotHeight) +
         "\" text-anchor=\"end\">0</text><text class=\"axis\" x=\"" + px(kLeft) + "\" y=\"" +
         px(kHeight - 8) + "\">1</text><text class=\"axis\" x=\"" + px(kLeft + plotWidth) +
         "\" y=\"" + px(kHeight - 8) + "\" text-anchor=\"end\">" + std::to_string(n) +
         " volumes</text></g></svg>";
  return "<figure><figcaption>Framewise displacement (mm) of " + escapedHtml(motion.path) +
         "</figcaption>" + svg + "<p class=\"legend\">" + escapedHtml(motionText(motion, options)) +
         "</p></figure>";
}

}  // namespace duv
