#include <algorithm>
#include <cmath>

#include "check/cell_text.h"
#include "check/check_figures.h"
#include "check/page_kit.h"

namespace duv {
namespace {

// Layout, in CSS pixels.
constexpr std::size_t kLargestVectorHeatmap = 100;
constexpr std::size_t kLargestRasterHeatmap = 500;
constexpr double kLargestRasterSide = 600;

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

// The columns (indices into the figure's columns) whose names are written above them: every
// one where the cells leave room for a name; in a rectangle of narrower cells (a few task
// predictors by many confounds), those a row reaches the medium |r| with, left to right, each
// at least a label's height from the one before (the cells' titles name every pair).
template <typename CorrelationAt>
std::vector<std::size_t> labelledColumns(bool square, double cell, std::size_t down,
                                         std::size_t across, const CorrelationAt& rAt,
                                         const CheckThresholds& thresholds) {
  constexpr double kLabelHeight = 11;
  std::vector<std::size_t> labelled;
  if (cell >= 8) {
    for (std::size_t j = 0; j < across; ++j) labelled.push_back(j);
    return labelled;
  }
  if (square) return labelled;
  double lastAt = -kLabelHeight;
  for (std::size_t j = 0; j < across; ++j) {
    const double at = static_cast<double>(j) * cell;
    if (at - lastAt < kLabelHeight) continue;
    for (std::size_t i = 0; i < down; ++i) {
      if (std::abs(rAt(i, j)) >= thresholds.mediumCorrelation) {
        labelled.push_back(j);
        lastAt = at;
        break;
      }
    }
  }
  return labelled;
}

}  // namespace

// |r| of every row predictor with every column predictor (positions of varying columns): a
// square map of all pairs (rows == columns, the diagonal grey, lines parting main predictors
// from confounds) or a rectangle such as task predictors by confounds. SVG cells up to
// kLargestVectorHeatmap a side, else a PNG of at most kLargestRasterHeatmap pixels a side,
// each pixel the strongest |r| of its block.
std::string heatmapFigure(const CheckedFile& file, const CheckThresholds& thresholds,
                          const std::vector<std::size_t>& rows,
                          const std::vector<std::size_t>& columns, const std::string& caption,
                          const std::string& figureName, const PredictorLabels& labels) {
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
  const auto rAt = [&](std::size_t i, std::size_t j) {
    return check.correlationOf(rows[i], columns[j]);
  };
  const auto labelled = labelledColumns(square, cell, rows.size(), columns.size(), rAt, thresholds);
  std::vector<std::size_t> labelledPositions;
  labelledPositions.reserve(labelled.size());
  for (const auto j : labelled) labelledPositions.push_back(columns[j]);
  const double rowLabels = rowCell >= 8 ? labelLength(check, rows, labels) : 0;
  const double columnLabels =
      labelledPositions.empty() ? 0 : labelLength(check, labelledPositions, labels);
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
           predictorLabel(labels, check.columns[position].name) + "</text>";
  };
  if (rowLabels > 0) {
    for (std::size_t i = 0; i < down; ++i) {
      const double centre = static_cast<double>(i) * rowCell + rowCell / 2 + 4;
      svg += "<text class=\"label\" x=\"" + px(left - 4) + "\" y=\"" + px(top + centre) +
             "\" text-anchor=\"end\" " + labelText(rows[i]);
    }
  }
  if (columnLabels > 0) {
    for (const std::size_t j : labelled) {
      const double centre = static_cast<double>(j) * cell + cell / 2 + 4;
      svg += "<text class=\"label\" transform=\"translate(" + px(left + centre) + "," +
             px(top - 4) + ") rotate(-90)\" " + labelText(columns[j]);
    }
  }
  std::string raster;
  // As many cells as a square of kLargestVectorHeatmap a side: a few task predictors by many
  // confounds stay cells of their own, each with its pair and r.
  if (down * across <= kLargestVectorHeatmap * kLargestVectorHeatmap) {
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

}  // namespace duv
