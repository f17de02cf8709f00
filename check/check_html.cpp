#include "check/check_html.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "check/html_page.h"
#include "check/png_image.h"

namespace duv {
namespace {

// Layout, in CSS pixels.
constexpr std::size_t kLargestRasterRows = 1000;
constexpr std::size_t kLargestVectorHeatmap = 100;
constexpr std::size_t kLargestRasterHeatmap = 500;
constexpr double kLargestRasterSide = 600;
constexpr double kSmallestNamedWidth = 9;
constexpr std::size_t kLargestListedWarnings = 200;
constexpr std::size_t kLongestLabel = 28;  // characters; longer names end in "..."
constexpr double kCharacterWidth = 6.4;    // of the 11 px label font, on average
constexpr double kMatrixHeight = 420;
constexpr double kGroupGap = 12;
constexpr double kBarLength = 320;
constexpr double kBarRow = 18;

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

const char* const kMainColour = "#2f6db5";
const char* const kConfoundColour = "#d9822b";

std::string label(const std::string& name) {
  if (name.size() <= kLongestLabel) return escapedHtml(name);
  return escapedHtml(name.substr(0, kLongestLabel - 3)) + "...";
}

double labelLength(const DesignCheck& check, const std::vector<std::size_t>& positions) {
  std::size_t longest = 1;
  for (const std::size_t p : positions) {
    longest = std::max(longest, std::min(kLongestLabel, check.columns[p].name.size()));
  }
  return static_cast<double>(longest) * kCharacterWidth + 8;
}

std::string px(double value) { return fixedDecimals(value, 1); }

std::string hex(Rgb colour) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text = "#";
  for (const std::uint8_t part : {colour.red, colour.green, colour.blue}) {
    text += kDigits[part >> 4];
    text += kDigits[part & 15];
  }
  return text;
}

const char* levelColour(const std::optional<CheckLevel>& level) {
  if (!level) return "#222222";
  switch (*level) {
    case CheckLevel::error:
      return "#c0152f";
    case CheckLevel::high:
      return "#d9480f";
    case CheckLevel::medium:
      return "#a86c00";
  }
  return "#222222";
}

// |r| to colour: white at 0, amber at the medium threshold, orange at the high one, dark red
// at 1, linear in between.
Rgb colourOfCorrelation(double size, const CheckThresholds& thresholds) {
  struct Stop {
    double at;
    Rgb colour;
  };
  const Stop stops[] = {{0.0, {255, 255, 255}},
                        {thresholds.mediumCorrelation, {250, 214, 120}},
                        {thresholds.highCorrelation, {236, 112, 44}},
                        {1.0, {140, 0, 24}}};
  size = std::clamp(size, 0.0, 1.0);
  for (std::size_t i = 1; i < std::size(stops); ++i) {
    if (size > stops[i].at && i + 1 < std::size(stops)) continue;
    const auto& from = stops[i - 1];
    const auto& to = stops[i];
    const double span = to.at - from.at;
    const double t = span > 0 ? std::clamp((size - from.at) / span, 0.0, 1.0) : 1.0;
    const auto mix = [t](std::uint8_t a, std::uint8_t b) {
      return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
    };
    return {mix(from.colour.red, to.colour.red), mix(from.colour.green, to.colour.green),
            mix(from.colour.blue, to.colour.blue)};
  }
  return stops[std::size(stops) - 1].colour;
}

std::string dataUri(const RgbImage& image) {
  return "data:image/png;base64," + base64(encodePng(image));
}

std::string imageTag(const RgbImage& image, double left, double top, double width, double height,
                     const std::string& alt) {
  return "<img alt=\"" + escapedHtml(alt) + "\" src=\"" + dataUri(image) +
         "\" style=\"left:" + px(left) + "px;top:" + px(top) + "px;width:" + px(width) +
         "px;height:" + px(height) + "px\">";
}

// --- design matrix -------------------------------------------------------------------------

// One column scaled to its range, averaged into `rows` bins: 0 (black) at its minimum, 255
// (white) at its maximum; a constant column white, an all-zero one black; a bin holding a
// value that is not a number magenta.
void drawColumn(RgbImage& image, std::size_t x, const std::vector<float>& values, ColumnKind kind) {
  const std::size_t n = values.size();
  const std::size_t rows = image.height;
  float low = 0.0F;
  float high = 0.0F;
  bool first = true;
  for (const float v : values) {
    if (!std::isfinite(v)) continue;
    low = first ? v : std::min(low, v);
    high = first ? v : std::max(high, v);
    first = false;
  }
  const double range = static_cast<double>(high) - static_cast<double>(low);
  for (std::size_t y = 0; y < rows; ++y) {
    const std::size_t begin = y * n / rows;
    const std::size_t end = std::max(begin + 1, (y + 1) * n / rows);
    double sum = 0.0;
    bool finite = true;
    for (std::size_t t = begin; t < end; ++t) {
      finite = finite && std::isfinite(values[t]);
      sum += static_cast<double>(values[t]);
    }
    if (!finite) {
      image.set(x, y, 255, 0, 255);
      continue;
    }
    std::uint8_t grey = kind == ColumnKind::zero ? 0 : 255;
    if (kind == ColumnKind::varying && range > 0) {
      const double mean = sum / static_cast<double>(end - begin);
      grey = static_cast<std::uint8_t>(
          std::lround(std::clamp((mean - static_cast<double>(low)) / range, 0.0, 1.0) * 255));
    }
    image.set(x, y, grey, grey, grey);
  }
}

std::string designMatrixFigure(const CheckedFile& file) {
  const auto& check = file.check;
  const std::size_t count = check.columns.size();
  if (count == 0 || check.dataPoints == 0) {
    return "<figure><figcaption>Design matrix</figcaption><p>No values to show.</p></figure>";
  }
  std::vector<std::size_t> all(count);
  for (std::size_t p = 0; p < count; ++p) all[p] = p;
  const auto levels = columnLevels(check);
  const std::size_t mainCount =
      check.mainPredictors +
      static_cast<std::size_t>(
          std::count_if(check.columns.begin(), check.columns.end(), [](const ColumnCheck& c) {
            return c.role == ColumnRole::main && c.kind == ColumnKind::constant;
          }));
  const double columnWidth = std::clamp(std::floor(760.0 / static_cast<double>(count)), 1.0, 30.0);
  // Names are written when they fit beside each other; otherwise they show on hovering.
  const bool named = columnWidth >= kSmallestNamedWidth;
  const double left = 56;
  const double labels = named ? labelLength(check, all) : 4;
  const double band = 8;
  const double top = labels + band + 6;
  const bool gap = mainCount > 0 && mainCount < count;
  const auto xOf = [&](std::size_t p) {
    return left + static_cast<double>(p) * columnWidth + (gap && p >= mainCount ? kGroupGap : 0);
  };
  const double right = xOf(count - 1) + columnWidth;
  const double width = right + 20;
  const double height = top + kMatrixHeight + 24;

  std::string svg = "<svg class=\"chart\" width=\"" + px(width) + "\" height=\"" + px(height) +
                    "\" role=\"img\" aria-label=\"design matrix\">";
  for (std::size_t p = 0; p < count; ++p) {
    const auto& column = check.columns[p];
    if (named) {
      const double x = xOf(p) + columnWidth / 2 + 4;
      svg += "<text class=\"label\" transform=\"translate(" + px(x) + "," + px(labels) +
             ") rotate(-90)\" fill=\"" + levelColour(levels[p]) + "\"><title>" +
             escapedHtml(column.name) + "</title>" + label(column.name) + "</text>";
    }
    const char* colour = column.role == ColumnRole::main ? kMainColour : kConfoundColour;
    svg += "<rect x=\"" + px(xOf(p)) + "\" y=\"" + px(labels + 2) + "\" width=\"" +
           px(columnWidth - (columnWidth > 4 ? 1 : 0)) + "\" height=\"" + px(band) + "\" fill=\"" +
           colour + "\"><title>" + escapedHtml(column.name) + "</title></rect>";
  }
  svg += "<rect x=\"" + px(left - 1) + "\" y=\"" + px(top - 1) + "\" width=\"" +
         px(right - left + 2) + "\" height=\"" + px(kMatrixHeight + 2) +
         "\" fill=\"none\" stroke=\"#888\"/>";
  svg += "<text class=\"axis\" x=\"" + px(left - 6) + "\" y=\"" + px(top + 9) +
         "\" text-anchor=\"end\">1</text><text class=\"axis\" x=\"" + px(left - 6) + "\" y=\"" +
         px(top + kMatrixHeight) + "\" text-anchor=\"end\">" + std::to_string(check.dataPoints) +
         "</text><text class=\"axis\" transform=\"translate(" + px(left - 30) + "," +
         px(top + kMatrixHeight / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">data point (time)</text>";
  svg += "</svg>";

  const std::size_t rows = std::min(check.dataPoints, kLargestRasterRows);
  std::string images;
  const auto group = [&](std::size_t from, std::size_t to, const char* alt) {
    if (from >= to) return;
    RgbImage image(to - from, rows);
    for (std::size_t p = from; p < to; ++p) {
      drawColumn(image, p - from, file.design.values[p], check.columns[p].kind);
    }
    images += imageTag(image, xOf(from) - left, 0, static_cast<double>(to - from) * columnWidth,
                       kMatrixHeight, alt);
  };
  group(0, mainCount, "main predictors");
  group(mainCount, count, "confounds");

  std::string legend = "<p class=\"legend\">";
  if (mainCount > 0) legend += "<span class=\"swatch main\"></span>main predictors ";
  if (mainCount < count) legend += "<span class=\"swatch confound\"></span>confounds ";
  legend +=
      "&middot; each column from its minimum (black) to its maximum (white) &middot; "
      "names coloured by their worst warning";
  if (rows < check.dataPoints) {
    legend += " &middot; " + std::to_string(check.dataPoints) + " data points averaged into " +
              std::to_string(rows) + " rows";
  }
  legend += "</p>";

  return "<figure style=\"width:" + px(width) +
         "px\"><figcaption>Design matrix</figcaption><div class=\"stage\" style=\"width:" +
         px(width) + "px;height:" + px(height) + "px\">" + svg +
         "<div class=\"raster\" data-figure=\"matrix\" style=\"left:" + px(left) +
         "px;top:" + px(top) + "px;width:" + px(right - left) + "px;height:" + px(kMatrixHeight) +
         "px\">" + images + "</div></div>" + legend + "</figure>";
}

// --- heatmap -------------------------------------------------------------------------------

std::string colourScale(double x, double y, double height, const CheckThresholds& thresholds) {
  std::string svg = "<defs><linearGradient id=\"scale\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
  for (const double at : {0.0, thresholds.mediumCorrelation, thresholds.highCorrelation, 1.0}) {
    svg += "<stop offset=\"" + fixedDecimals(at, 3) + "\" stop-color=\"" +
           hex(colourOfCorrelation(at, thresholds)) + "\"/>";
  }
  svg += "</linearGradient></defs><rect x=\"" + px(x) + "\" y=\"" + px(y) +
         "\" width=\"14\" height=\"" + px(height) + "\" fill=\"url(#scale)\" stroke=\"#888\"/>";
  struct Tick {
    double at;
    std::string text;
  };
  const Tick ticks[] = {
      {0.0, "0"},
      {thresholds.mediumCorrelation, fixedDecimals(thresholds.mediumCorrelation, 2) + " medium"},
      {thresholds.highCorrelation, fixedDecimals(thresholds.highCorrelation, 2) + " high"},
      {1.0, "1 |r|"}};
  for (const auto& tick : ticks) {
    const double ty = y + height * (1.0 - tick.at);
    svg += "<line x1=\"" + px(x) + "\" x2=\"" + px(x + 20) + "\" y1=\"" + px(ty) + "\" y2=\"" +
           px(ty) + "\" stroke=\"#333\"/><text class=\"axis\" x=\"" + px(x + 23) + "\" y=\"" +
           px(ty + 4) + "\">" + escapedHtml(tick.text) + "</text>";
  }
  return svg;
}

// |r| of every row predictor with every column predictor (positions of varying columns): a
// square map of all pairs (rows == columns, the diagonal grey, lines parting main predictors
// from confounds) or a rectangle such as task predictors by confounds. SVG cells up to
// kLargestVectorHeatmap a side, else a PNG of at most kLargestRasterHeatmap pixels a side,
// each pixel the strongest |r| of its block.
std::string heatmapFigure(const CheckedFile& file, const CheckThresholds& thresholds,
                          const std::vector<std::size_t>& rows,
                          const std::vector<std::size_t>& columns, const std::string& caption,
                          const std::string& figureName) {
  const auto& check = file.check;
  const bool square = rows == columns;
  if (rows.empty() || columns.empty() || (square && rows.size() < 2)) {
    return "<figure><figcaption>" + caption + "</figcaption><p>" +
           (square ? "Fewer than two varying predictors: no correlations." : "No pairs to show.") +
           "</p></figure>";
  }
  const std::size_t across = columns.size();
  const std::size_t down = rows.size();
  const std::size_t larger = std::max(across, down);
  const auto levels = columnLevels(check);
  double cell = std::clamp(std::floor(480.0 / static_cast<double>(larger)), 2.0, 26.0);
  if (larger > kLargestVectorHeatmap) {
    cell = std::min(cell, kLargestRasterSide / static_cast<double>(larger));
  }
  // A rectangle with few rows gives them room for their names.
  const double rowCell =
      square ? cell : std::max(cell, std::min(16.0, std::floor(480.0 / static_cast<double>(down))));
  const double rowLabels = rowCell >= 8 ? labelLength(check, rows) : 0;
  const double columnLabels = cell >= 8 ? labelLength(check, columns) : 0;
  const double left = rowLabels + 4;
  const double top = columnLabels + 4;
  const double sideAcross = cell * static_cast<double>(across);
  const double sideDown = rowCell * static_cast<double>(down);
  const double scaleHeight = std::clamp(sideDown, 120.0, 260.0);
  const double width = left + sideAcross + 140;
  const double height = top + std::max(sideDown, scaleHeight) + 10;
  std::string svg = "<svg class=\"chart\" width=\"" + px(width) + "\" height=\"" + px(height) +
                    "\" role=\"img\" aria-label=\"" + escapedHtml(caption) + "\">";
  const auto labelText = [&](std::size_t position) {
    return std::string("fill=\"") + levelColour(levels[position]) + "\">" +
           label(check.columns[position].name) + "</text>";
  };
  if (rowLabels > 0) {
    for (std::size_t i = 0; i < down; ++i) {
      const double centre = static_cast<double>(i) * rowCell + rowCell / 2 + 4;
      svg += "<text class=\"label\" x=\"" + px(left - 4) + "\" y=\"" + px(top + centre) +
             "\" text-anchor=\"end\" " + labelText(rows[i]);
    }
  }
  if (columnLabels > 0) {
    for (std::size_t j = 0; j < across; ++j) {
      const double centre = static_cast<double>(j) * cell + cell / 2 + 4;
      svg += "<text class=\"label\" transform=\"translate(" + px(left + centre) + "," +
             px(top - 4) + ") rotate(-90)\" " + labelText(columns[j]);
    }
  }
  const auto rAt = [&](std::size_t i, std::size_t j) {
    return check.correlationOf(rows[i], columns[j]);
  };
  std::string raster;
  if (larger <= kLargestVectorHeatmap) {
    svg += "<g data-figure=\"" + figureName + "\">";
    for (std::size_t i = 0; i < down; ++i) {
      for (std::size_t j = 0; j < across; ++j) {
        // A predictor with itself in grey, so that only real pairs stand out.
        const bool itself = rows[i] == columns[j];
        const std::string fill = itself ? std::string("#d0d0d0")
                                        : hex(colourOfCorrelation(std::abs(rAt(i, j)), thresholds));
        svg += "<rect x=\"" + px(left + static_cast<double>(j) * cell) + "\" y=\"" +
               px(top + static_cast<double>(i) * rowCell) + "\" width=\"" + px(cell) +
               "\" height=\"" + px(rowCell) + "\" fill=\"" + fill + "\">";
        if (!itself) {
          svg += "<title>" + escapedHtml(check.columns[rows[i]].name) + " ~ " +
                 escapedHtml(check.columns[columns[j]].name) +
                 ": r = " + fixedDecimals(rAt(i, j), 3) + "</title>";
        }
        svg += "</rect>";
      }
    }
    svg += "</g>";
  } else {
    const std::size_t cellsAcross = std::min(across, kLargestRasterHeatmap);
    const std::size_t cellsDown = std::min(down, kLargestRasterHeatmap);
    std::vector<double> strongest(cellsAcross * cellsDown, -1.0);
    for (std::size_t i = 0; i < down; ++i) {
      for (std::size_t j = 0; j < across; ++j) {
        if (rows[i] == columns[j]) continue;
        auto& block = strongest[(i * cellsDown / down) * cellsAcross + j * cellsAcross / across];
        block = std::max(block, std::abs(rAt(i, j)));
      }
    }
    RgbImage image(cellsAcross, cellsDown);
    for (std::size_t y = 0; y < cellsDown; ++y) {
      for (std::size_t x = 0; x < cellsAcross; ++x) {
        const double size = strongest[y * cellsAcross + x];
        const Rgb c = size < 0 ? Rgb{208, 208, 208} : colourOfCorrelation(size, thresholds);
        image.set(x, y, c.red, c.green, c.blue);
      }
    }
    raster = "<div class=\"raster\" data-figure=\"" + figureName + "\" style=\"left:" + px(left) +
             "px;top:" + px(top) + "px;width:" + px(sideAcross) + "px;height:" + px(sideDown) +
             "px\">" + imageTag(image, 0, 0, sideAcross, sideDown, caption) + "</div>";
  }
  if (square) {
    // Where the main predictors end among the varying ones.
    std::size_t mainVarying = 0;
    while (mainVarying < down && check.columns[rows[mainVarying]].role == ColumnRole::main) {
      ++mainVarying;
    }
    if (mainVarying > 0 && mainVarying < down) {
      const double at = static_cast<double>(mainVarying) * cell;
      svg += "<line x1=\"" + px(left + at) + "\" x2=\"" + px(left + at) + "\" y1=\"" + px(top) +
             "\" y2=\"" + px(top + sideDown) + "\" class=\"split\"/><line x1=\"" + px(left) +
             "\" x2=\"" + px(left + sideAcross) + "\" y1=\"" + px(top + at) + "\" y2=\"" +
             px(top + at) + "\" class=\"split\"/>";
    }
  }
  svg += colourScale(left + sideAcross + 16, top, scaleHeight, thresholds);
  svg += "</svg>";
  const std::string legend =
      square ? "Constant, all-zero and non-numeric columns are left out; lines part main "
               "predictors from confounds."
             : "Rows: task predictors; columns: confounds.";
  return "<figure style=\"width:" + px(width) + "px\"><figcaption>" + caption +
         "</figcaption><div class=\"stage\" style=\"width:" + px(width) +
         "px;height:" + px(height) + "px\">" + svg + raster + "</div><p class=\"legend\">" +
         legend + "</p></figure>";
}

// --- R² and VIF bars -----------------------------------------------------------------------

// R² bars with the VIF of each predictor of `positions` (varying columns), the VIF thresholds
// drawn.
std::string barsFigure(const CheckedFile& file, const CheckThresholds& thresholds,
                       const std::vector<std::size_t>& positions, const std::string& caption,
                       const std::string& figureName) {
  const auto& check = file.check;
  const std::size_t m = positions.size();
  if (m == 0) {
    return "<figure><figcaption>" + caption + "</figcaption><p>No varying predictors.</p>" +
           "</figure>";
  }
  const double labels = labelLength(check, positions);
  const double left = labels + 6;
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
    svg += "<text class=\"label\" x=\"" + px(left - 6) + "\" y=\"" + px(y + 13) +
           "\" text-anchor=\"end\">" + label(column.name) + "</text><rect x=\"" + px(left) +
           "\" y=\"" + px(y + 3) + "\" width=\"" + px(share * kBarLength) + "\" height=\"" +
           px(kBarRow - 6) + "\" fill=\"" + colour + "\"><title>" + escapedHtml(column.name) +
           ": R2 = " + fixedDecimals(*column.rSquared, 4) + ", VIF = " + fixedDecimals(vif, 2) +
           "</title></rect><text class=\"value\" x=\"" + px(left + kBarLength + 8) + "\" y=\"" +
           px(y + 13) + "\">R&sup2; " + fixedDecimals(*column.rSquared, 3) + " &middot; VIF " +
           (std::isinf(vif) ? std::string("&#8734; (dependency)") : fixedDecimals(vif, 1)) +
           "</text>";
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

// --- page ----------------------------------------------------------------------------------

std::string badge(const std::string& status) {
  return "<span class=\"badge " + status + "\">" + status + "</span>";
}

std::string warningsList(const CheckedFile& file, const std::vector<const CheckWarning*>& warnings,
                         const std::string& none) {
  if (warnings.empty()) return none;
  std::string html = "<ul class=\"warnings\">";
  for (std::size_t i = 0; i < warnings.size() && i < kLargestListedWarnings; ++i) {
    const char* level = levelName(warnings[i]->level);
    html += std::string("<li class=\"") + level + "\"><b>" + level + "</b> " +
            escapedHtml(warningText(file.design, file.check, *warnings[i])) + "</li>";
  }
  if (warnings.size() > kLargestListedWarnings) {
    html += "<li>... and " + std::to_string(warnings.size() - kLargestListedWarnings) +
            " more (all of them in the JSON output)</li>";
  }
  return html + "</ul>";
}

// The findings among confounds alone, folded away under their summary line.
std::string confoundFindings(const CheckedFile& file, const CheckThresholds& thresholds) {
  const auto summary = confoundSummary(file.check, thresholds);
  if (!summary) return "";
  std::vector<const CheckWarning*> uncounted;
  for (const auto& warning : file.check.warnings) {
    if (!warning.counted) uncounted.push_back(&warning);
  }
  return "<details class=\"confounds\"><summary>" + escapedHtml(*summary) + "</summary>" +
         warningsList(file, uncounted, "") + "</details>";
}

// The varying columns that are task predictors, and those that are not.
std::vector<std::size_t> varyingWhere(const DesignCheck& check, bool task) {
  std::vector<std::size_t> positions;
  for (const std::size_t p : check.varying) {
    if (check.columns[p].task == task) positions.push_back(p);
  }
  return positions;
}

std::string facts(const DesignCheck& check) {
  return "<p class=\"facts\">" + std::to_string(check.dataPoints) + " data points &middot; " +
         std::to_string(check.predictors()) + " predictors (" +
         std::to_string(check.mainPredictors) + " main, " + std::to_string(check.confounds) +
         " confounds, " + std::to_string(check.constants) + " constant) &middot; rank " +
         std::to_string(check.rank) + " of " + std::to_string(check.predictors()) +
         " &middot; residual degrees of freedom " + std::to_string(check.residualDegreesOfFreedom) +
         " &middot; condition number " +
         (std::isinf(check.conditionNumber) ? std::string("&#8734;")
                                            : fixedDecimals(check.conditionNumber, 1)) +
         "</p>";
}

// --- head motion ---------------------------------------------------------------------------

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

// --- contrasts -----------------------------------------------------------------------------

std::string contrastsTable(const CheckedFile& file) {
  std::string html =
      "<table class=\"contrasts\" data-figure=\"contrasts\"><tr><th>contrast</th>"
      "<th>expression</th><th>estimable</th><th>contrast VIF</th><th>efficiency</th>"
      "<th>level</th></tr>";
  for (std::size_t i = 0; i < file.contrasts.size(); ++i) {
    const auto& contrast = file.contrasts[i];
    const std::string level = contrast.level ? levelName(*contrast.level) : "ok";
    html += "<tr><td>" + escapedHtml(contrast.name) + "</td><td><code>" +
            escapedHtml(file.contrastDefinitions[i].expression) + "</code></td><td>" +
            (contrast.estimable() ? "yes" : "no") + "</td><td>" +
            (contrast.estimable() ? fixedDecimals(contrast.vif, 2) : "&#8734;") + "</td><td>" +
            (contrast.estimable() ? fixedDecimals(contrast.efficiency, 3) : "") + "</td><td>" +
            badge(level) + "</td></tr>";
  }
  return html +
         "</table><p class=\"legend\">Contrast VIF: how much the correlations inflate the "
         "variance of the contrast of standardised coefficients, against uncorrelated "
         "predictors. Efficiency 1 / c(X&#7488;X)&#8314;c&#7488; depends on the predictors' "
         "scale: compare it between designs of the same scaling only.</p>";
}

std::string fileSection(const CheckedFile& file, std::size_t index, const CheckRun& run) {
  const auto& thresholds = run.thresholds;
  const bool showAll = run.showAll;
  const std::string id = "file-" + std::to_string(index + 1);
  std::string html = "<section id=\"" + id + "\"><h2>" + escapedHtml(file.path) + " " +
                     badge(statusOf(file)) + "</h2>";
  if (file.readError) {
    return html + "<p class=\"unreadable\">Cannot be read: " + escapedHtml(*file.readError) +
           "</p></section>";
  }
  const auto& check = file.check;
  html += facts(check);
  // The contrasts' and head motion's warnings follow the design's own.
  std::string besides;
  const auto item = [](CheckLevel level, const std::string& text) {
    const char* name = levelName(level);
    return std::string("<li class=\"") + name + "\"><b>" + name + "</b> " + escapedHtml(text) +
           "</li>";
  };
  for (const auto& contrast : file.contrasts) {
    if (contrast.level) besides += item(*contrast.level, contrastWarningText(check, contrast));
  }
  if (const auto level = file.motion ? levelOf(*file.motion) : std::nullopt) {
    besides += item(*level, motionWarningText(*file.motion, run.motion));
  }
  const auto shown = shownWarnings(check, showAll);
  if (shown.empty() && besides.empty()) {
    html += "<p class=\"clean\">No warnings" +
            std::string(check.levelOfAll() ? " about the task predictors" : "") + ".</p>";
  } else {
    html += warningsList(file, shown, "");
    if (!besides.empty()) html += "<ul class=\"warnings\">" + besides + "</ul>";
  }
  if (showAll) {
    html +=
        "<p class=\"note\">Findings among confounds alone are listed too; they do not "
        "count toward the status.</p>";
  } else {
    html += confoundFindings(file, thresholds);
  }
  const auto task = varyingWhere(check, true);
  if (!task.empty()) {
    html += "<h3>Task predictors</h3><div class=\"figures\">" +
            barsFigure(file, thresholds, task,
                       "R&sup2; and VIF of the task predictors: how much all the others explain "
                       "each one",
                       "task-bars") +
            heatmapFigure(file, thresholds, task, varyingWhere(check, false),
                          "|r| of the task predictors with the confounds", "task-pairs") +
            "</div>";
  }
  if (!file.contrasts.empty()) html += "<h3>Contrasts</h3>" + contrastsTable(file);
  if (file.motion) {
    html += "<h3>Head motion</h3>" + displacementFigure(*file.motion, run.motion);
  }
  html += "<h3>All predictors</h3><div class=\"figures\">" + designMatrixFigure(file) +
          heatmapFigure(file, thresholds, check.varying, check.varying, "|r| between predictors",
                        "heatmap") +
          barsFigure(file, thresholds, check.varying,
                     "R&sup2; and VIF: how much the other predictors explain each one", "bars") +
          "</div>";
  return html + "</section>";
}

std::string summaryTable(const CheckRun& run) {
  std::string html =
      "<table class=\"summary\"><tr><th>file</th><th>status</th><th>residual df</th>"
      "<th>strongest |r|</th><th>highest VIF</th></tr>";
  for (std::size_t i = 0; i < run.files.size(); ++i) {
    const auto& file = run.files[i];
    html += "<tr><td><a href=\"#file-" + std::to_string(i + 1) + "\">" + escapedHtml(file.path) +
            "</a></td><td>" + badge(statusOf(file)) + "</td>";
    if (file.readError) {
      html += "<td></td><td></td><td></td></tr>";
      continue;
    }
    const auto& check = file.check;
    html += "<td>" + std::to_string(check.residualDegreesOfFreedom) + "</td><td>";
    const auto& strongest = run.showAll ? check.strongestPair : check.strongestTaskPair;
    if (strongest) {
      const auto& pair = *strongest;
      html += fixedDecimals(std::abs(pair.r), 2) + " " +
              escapedHtml(check.columns[pair.first].name) + " ~ " +
              escapedHtml(check.columns[pair.second].name);
    }
    html += "</td><td>";
    if (const auto highest = run.showAll ? check.highestVif() : check.highestTaskVif()) {
      html += fixedDecimals(*check.columns[*highest].vif, 1) + " " +
              escapedHtml(check.columns[*highest].name);
    }
    html += "</td></tr>";
  }
  return html + "</table>";
}

constexpr const char* kStyle = R"(
body { font: 14px/1.4 "DejaVu Sans", "Segoe UI", Helvetica, Arial, sans-serif; color: #222;
       margin: 24px; background: #fff; }
h1 { font-size: 22px; margin: 0 0 4px; }
h2 { font-size: 17px; margin: 28px 0 4px; border-top: 1px solid #ccc; padding-top: 14px; }
p.note, p.legend { color: #555; font-size: 12px; margin: 4px 0; }
.badge { font-size: 12px; padding: 1px 8px; border-radius: 9px; color: #fff; background: #3a7d44;
         vertical-align: middle; }
.badge.error, .badge.unreadable { background: #c0152f; } .badge.high { background: #d9480f; }
.badge.medium { background: #a86c00; }
ul.warnings { list-style: none; padding: 0; margin: 8px 0; }
ul.warnings li { padding: 3px 8px; margin: 2px 0; border-left: 5px solid #999;
                 background: #f6f6f6; }
ul.warnings li b { display: inline-block; width: 62px; text-transform: uppercase; font-size: 12px; }
ul.warnings li.error { border-color: #c0152f; } ul.warnings li.error b { color: #c0152f; }
ul.warnings li.high { border-color: #d9480f; } ul.warnings li.high b { color: #d9480f; }
ul.warnings li.medium { border-color: #e8b23a; } ul.warnings li.medium b { color: #a86c00; }
.figures { display: flex; flex-wrap: wrap; gap: 18px 36px; align-items: flex-start; }
figure { margin: 10px 0; }
figcaption { font-weight: bold; margin-bottom: 6px; }
.stage { position: relative; }
.stage > svg, .raster { position: absolute; left: 0; top: 0; }
.raster img { position: absolute; image-rendering: pixelated; }
svg text { font-family: inherit; }
svg .label { font-size: 11px; }
svg .axis, svg .value { font-size: 11px; fill: #444; }
svg .split { stroke: #111; stroke-width: 1.5; }
svg .threshold { stroke: #333; stroke-dasharray: 4 3; }
svg .flagged { stroke: #c0152f; stroke-width: 2; }
.swatch { display: inline-block; width: 12px; height: 8px; margin: 0 4px 0 8px; }
.swatch.main { background: #2f6db5; } .swatch.confound { background: #d9822b; }
h3 { font-size: 15px; margin: 18px 0 2px; }
details.confounds { margin: 8px 0; color: #555; }
details.confounds summary { cursor: pointer; }
table.summary, table.contrasts { border-collapse: collapse; margin: 10px 0; }
table.contrasts td, table.contrasts th { border-bottom: 1px solid #ddd; padding: 3px 10px;
                                         text-align: left; }
table.summary td, table.summary th { border-bottom: 1px solid #ddd; padding: 3px 10px;
                                     text-align: left; }
)";

// Marks the page drawn once every image decoded, and where each figure lies.
constexpr const char* kLoadScript = R"(<script>
window.addEventListener('load', function () {
  var images = Array.prototype.slice.call(document.images);
  var decoded = images.every(function (i) { return i.complete && i.naturalWidth > 0; });
  document.querySelectorAll('[data-figure]').forEach(function (figure) {
    var box = figure.getBoundingClientRect();
    figure.setAttribute('data-box', [box.left + window.scrollX, box.top + window.scrollY,
                                     box.width, box.height].map(Math.round).join(','));
  });
  var drawn = decoded && document.querySelector('svg') !== null;
  document.body.setAttribute('data-rendered', drawn ? 'ok' : 'incomplete');
});
</script>)";

}  // namespace

void writeCheckHtml(const CheckRun& run, std::ostream& out) {
  const std::string title =
      run.files.size() == 1 ? "Design check: " + run.files.front().path : "Design check";
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>"
      << escapedHtml(title) << "</title>" << kPageErrorScript << "<style>" << kStyle
      << "</style></head>\n<body><h1>" << escapedHtml(title) << "</h1>";
  const auto& t = run.thresholds;
  const auto& c = run.contrastThresholds;
  out << "<p class=\"note\">A design's status counts every error, pairs with a task predictor, "
         "the task predictors' VIF, the contrasts and head motion; findings among confounds "
         "alone do not count. Levels: error (rank-deficient, no residual degrees of freedom, "
         "identical columns, a contrast not estimable) &gt; high (|r| &ge; "
      << fixedDecimals(t.highCorrelation, 2) << ", VIF &ge; " << fixedDecimals(t.highVif, 1)
      << ", contrast VIF &ge; " << fixedDecimals(c.highVif, 1) << ", more than "
      << fixedDecimals(run.motion.maxFlaggedShare * 100.0, 0) << " % of the volumes above "
      << fixedDecimals(run.motion.spikeThreshold, 2) << " mm) &gt; medium (|r| &ge; "
      << fixedDecimals(t.mediumCorrelation, 2) << ", VIF &ge; " << fixedDecimals(t.mediumVif, 1)
      << ", contrast VIF &ge; " << fixedDecimals(c.mediumVif, 1) << ")"
      << (t.hideConfoundPairs ? "; pairs of two confounds hidden unless identical" : "")
      << ". Computed in double precision; the correlation report's single-precision R&sup2; "
         "may differ slightly.</p>\n";
  if (run.files.size() > 1) out << summaryTable(run) << '\n';
  for (std::size_t i = 0; i < run.files.size(); ++i) {
    out << fileSection(run.files[i], i, run) << '\n';
  }
  out << kLoadScript << "\n</body></html>\n";
}

}  // namespace duv
