#include "merge/predictors.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "design/paths.h"
#include "numerics/column_statistics.h"

namespace duv {
namespace {

using Position = std::vector<float>::difference_type;

template <typename T>
void insertAt(std::vector<T>& list, Position position, T value) {
  list.insert(list.begin() + position, std::move(value));
}

// Where a main predictor goes: in front of the first confound. Computed in 64 bits so that no
// header value can overflow it, and clamped because the header may disagree with the lists.
Position mainPredictorPosition(const DesignMatrix& matrix) {
  const auto length = static_cast<std::int64_t>(matrix.values.size());
  const std::int64_t confounds = std::int64_t{matrix.nrOfPredictors.value} -
                                 std::int64_t{matrix.firstConfoundPredictor.value} + 1;
  return static_cast<Position>(std::clamp<std::int64_t>(length - confounds, 0, length));
}

bool isSeparator(char c) { return c == '_' || c == ' '; }

// The last separator of `s2` in front of `end` (exclusive), or npos.
std::size_t lastSeparatorBefore(std::string_view s2, std::size_t end) {
  while (end > 0) {
    --end;
    if (isSeparator(s2[end])) return end;
  }
  return std::string_view::npos;
}

// The part of the other matrix's name that the merged file name gains: from the last separator
// of s2 in front of which both names agree, so that a shared stem ("sub01") is not repeated.
std::string mergeSuffix(std::string_view s1, std::string_view s2) {
  std::size_t b = lastSeparatorBefore(s2, s2.size());
  while (b != std::string_view::npos && s1.substr(0, b) != s2.substr(0, b)) {
    b = lastSeparatorBefore(s2, b);
  }
  if (b == std::string_view::npos) {
    std::string suffix = "_";
    suffix += s2;
    return suffix;
  }
  return std::string(s2.substr(b));
}

std::string baseName(const std::string& path) { return pathWithoutExtension(fileNameOf(path)); }

}  // namespace

void insertPredictor(DesignMatrix& matrix, const std::vector<float>& column,
                     const std::string& name, std::int32_t red, std::int32_t green,
                     std::int32_t blue, bool asConfound) {
  if (static_cast<std::int64_t>(column.size()) != matrix.nrOfDataPoints.value) return;
  const bool lastConstant = lastColumnIsConstant(matrix);
  const bool newConstant = isConstantColumn(column);
  if (newConstant && lastConstant) return;

  const auto length = static_cast<Position>(matrix.values.size());
  const Position position =
      asConfound ? length - (lastConstant ? 1 : 0) : mainPredictorPosition(matrix);
  insertAt(matrix.values, position, column);
  insertAt(matrix.predictorNames, position, name);
  insertAt(matrix.colorRed, position, red);
  insertAt(matrix.colorGreen, position, green);
  insertAt(matrix.colorBlue, position, blue);
  matrix.nrOfPredictors.value = static_cast<std::int32_t>(matrix.values.size());
  // The new main predictor is number position + 1; the first confound is the one behind it.
  // Within the invariants this is firstConfoundPredictor + 1.
  if (!asConfound) matrix.firstConfoundPredictor.value = static_cast<std::int32_t>(position + 2);
  if (newConstant) matrix.includesConstant.value = true;
}

void appendPredictors(DesignMatrix& receiver, const DesignMatrix& other) {
  if (&receiver == &other) {
    // Inserting into the matrix being read would move the columns under the loop.
    const DesignMatrix copy = other;  // NOLINT(performance-unnecessary-copy-initialization)
    appendPredictors(receiver, copy);
    return;
  }
  if (receiver.nrOfDataPoints.value == other.nrOfDataPoints.value) {
    for (std::int32_t i = 0; i < other.nrOfPredictors.value; ++i) {
      const auto p = static_cast<std::size_t>(i);
      insertPredictor(receiver, other.values[p], other.predictorNames[p], other.colorRed[p],
                      other.colorGreen[p], other.colorBlue[p],
                      i + 1 >= other.firstConfoundPredictor.value);
    }
  }
  receiver.fileName = mergedFileName(receiver.fileName, other.fileName);
}

std::string mergedFileName(const std::string& receiverFileName, const std::string& otherFileName) {
  return insertBeforeExtension(receiverFileName,
                               mergeSuffix(baseName(receiverFileName), baseName(otherFileName)));
}

DesignMatrix mergedCopy(const DesignMatrix& base, const DesignMatrix& other) {
  DesignMatrix copy = base;
  appendPredictors(copy, other);
  return copy;
}

}  // namespace duv
