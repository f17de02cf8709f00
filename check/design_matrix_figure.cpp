#include <algorithm>
#include <cmath>

#include "check/check_figures.h"
#include "check/page_kit.h"

namespace duv {
namespace {

// Layout, in CSS pixels.
constexpr std::size_t kLargestRasterRows = 1000;
constexpr double kSmallestNamedWidth = 9;
constexpr double kMatrixHeight = 420;
constexpr double kGroupGap = 12;

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

}  // namespace

std::string designMatrixFigure(const CheckedFile& file, const PredictorLabels& labels) {
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
  const double labelRoom = named ? labelLength(check, all, labels) : 4;
  const double band = 8;
  const double top = labelRoom + band + 6;
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
      svg += "<text class=\"label\" transform=\"translate(" + px(x) + "," + px(labelRoom) +
             ") rotate(-90)\" fill=\"" + levelColour(levels[p]) + "\"><title>" +
             escapedHtml(column.name) + "</title>" + predictorLabel(labels, column.name) +
             "</text>";
    }
    const char* colour = column.role == ColumnRole::main ? kMainColour : kConfoundColour;
    svg += "<rect x=\"" + px(xOf(p)) + "\" y=\"" + px(labelRoom + 2) + "\" width=\"" +
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

}  // namespace duv
