#pragma once

// The check page's figures (check/check_html.h describes them), each an HTML <figure>, and the
// parts they share. Predictor names are labelled through the page's labels (shortLabels of
// every name on the page), so that no two predictors share a label.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "check/check_run.h"
#include "check/png_image.h"

namespace duv {

// Every predictor name on the page and its label.
using PredictorLabels = std::map<std::string, std::string>;

// The design matrix: main predictors and confounds as two images, apart, names above.
std::string designMatrixFigure(const CheckedFile& file, const PredictorLabels& labels);

// |r| of every row predictor with every column predictor (positions of varying columns): a
// square map of all pairs (rows == columns) or a rectangle such as task predictors by
// confounds, with its colour scale.
std::string heatmapFigure(const CheckedFile& file, const CheckThresholds& thresholds,
                          const std::vector<std::size_t>& rows,
                          const std::vector<std::size_t>& columns, const std::string& caption,
                          const std::string& figureName, const PredictorLabels& labels);

// R² bars with the VIF of each predictor of `positions` (varying columns), the VIF thresholds
// drawn.
std::string barsFigure(const CheckedFile& file, const CheckThresholds& thresholds,
                       const std::vector<std::size_t>& positions, const std::string& caption,
                       const std::string& figureName, const PredictorLabels& labels);

// Framewise displacement over time with its thresholds and flagged volumes.
std::string displacementFigure(const MotionCheck& motion, const MotionSummaryOptions& options);

// --- shared parts --------------------------------------------------------------------------

inline constexpr const char* kMainColour = "#2f6db5";
inline constexpr const char* kConfoundColour = "#d9822b";

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// "#rrggbb", lowercase.
std::string hex(Rgb colour);

// The image as an absolutely placed <img> of a PNG data: URI.
std::string imageTag(const RgbImage& image, double left, double top, double width, double height,
                     const std::string& alt);

// A predictor name's colour: its worst warning's, plain text without one.
const char* levelColour(const std::optional<CheckLevel>& level);

// The label of the predictor `name`, escaped.
std::string predictorLabel(const PredictorLabels& labels, const std::string& name);

// The room the labels of the predictors at `positions` take, in CSS pixels.
double labelLength(const DesignCheck& check, const std::vector<std::size_t>& positions,
                   const PredictorLabels& labels);

}  // namespace duv
