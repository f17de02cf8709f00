#include "design/sdm_writer.h"

#include <cmath>
#include <iomanip>
#include <ostream>
#include <string>
#include <vector>

#include "design/number_text.h"
#include "design/sdm_format.h"

namespace duv {
namespace {

// Rows are formatted into one text and handed to the stream in large pieces.
constexpr std::size_t kChunk = 1 << 16;

template <typename Field>
void appendEntry(std::string& text, const Field& field, std::string_view value, bool emptyLine) {
  if (!field.present) return;
  const auto start = text.size();
  text += field.label;
  text += ':';
  const auto written = static_cast<std::int32_t>(text.size() - start);
  // A width no larger than the key and colon (a value that stood on the next line) would glue
  // the value to the colon, which no reader takes for a key: keep one blank there.
  const std::int32_t padding = field.width > written ? field.width - written : 1;
  text.append(static_cast<std::size_t>(padding), ' ');
  text += value;
  text += emptyLine ? "\n\n" : "\n";
}

void appendHeader(std::string& text, const DesignMatrix& m) {
  appendEntry(text, m.fileVersion, std::to_string(m.fileVersion.value), true);
  appendEntry(text, m.nrOfPredictors, std::to_string(m.nrOfPredictors.value), false);
  appendEntry(text, m.nrOfDataPoints, std::to_string(m.nrOfDataPoints.value), false);
  appendEntry(text, m.includesConstant, m.includesConstant.value ? "1" : "0", false);
  appendEntry(text, m.firstConfoundPredictor, std::to_string(m.firstConfoundPredictor.value), true);
}

void appendColoursAndNames(std::string& text, const DesignMatrix& m, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) text += "   ";
    text += std::to_string(m.colorRed[i]);
    text += ' ';
    text += std::to_string(m.colorGreen[i]);
    text += ' ';
    text += std::to_string(m.colorBlue[i]);
  }
  text += '\n';
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) text += ' ';
    text += '"';
    text += m.predictorNames[i];
    text += '"';
  }
  text += '\n';
}

// One row into `out`, which has room for rowRoom(count) characters; returns its end.
char* writeRow(char* out, const DesignMatrix& m, std::size_t count, std::size_t t) {
  for (std::size_t k = 0; k < count; ++k) {
    const float x = m.values[k][t];
    *out++ = ' ';
    if (k != 0) *out++ = ' ';
    // A non-negative value (negative zero included) gets the room of a minus sign.
    if (x >= 0.0F) *out++ = ' ';
    out = writeFixed(out, x, sdm::kDecimals);
  }
  *out++ = '\n';
  return out;
}

std::size_t rowRoom(std::size_t count) { return count * (3 + maxFixedLength(sdm::kDecimals)) + 1; }

std::size_t countOf(std::int32_t value) { return value > 0 ? static_cast<std::size_t>(value) : 0; }

}  // namespace

void writeSdm(const DesignMatrix& design, std::ostream& out) {
  const std::size_t predictors = countOf(design.nrOfPredictors.value);
  const std::size_t dataPoints = countOf(design.nrOfDataPoints.value);
  std::string text;
  appendHeader(text, design);
  appendColoursAndNames(text, design, predictors);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  // Rows are formatted straight into a buffer that holds a chunk and one more row.
  const std::size_t room = rowRoom(predictors);
  std::vector<char> buffer(kChunk + room);
  char* const start = buffer.data();
  char* end = start;
  for (std::size_t t = 0; t < dataPoints; ++t) {
    end = writeRow(end, design, predictors, t);
    if (static_cast<std::size_t>(end - start) >= kChunk) {
      out.write(start, end - start);
      end = start;
    }
  }
  out.write(start, end - start);
  out << std::fixed << std::setprecision(sdm::kDecimals) << std::left;
}

DesignMatrix asReadBack(DesignMatrix matrix) {
  char text[maxFixedLength(sdm::kDecimals)];
  for (auto& column : matrix.values) {
    for (float& value : column) {
      if (!std::isfinite(value)) continue;
      const char* end = writeFixed(text, value, sdm::kDecimals);
      value = static_cast<float>(scanDouble(text, end).value);
    }
  }
  auto& first = matrix.firstConfoundPredictor.value;
  if (first > matrix.nrOfPredictors.value) first = matrix.nrOfPredictors.value + 1;
  return matrix;
}

}  // namespace duv
