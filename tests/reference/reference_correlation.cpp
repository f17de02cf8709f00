#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "stats/correlation.h"
#include "tests/reference/reference_number_text.h"
#include "tests/reference/reference_statistics.h"

namespace duv::reference {
namespace {

constexpr int kDecimals = 2;
constexpr const char* kSeparator = " ; ";

// The counts enter the formulas as signed 32-bit integers converted to float.
std::int32_t countOf(const std::vector<float>& column) {
  return static_cast<std::int32_t>(column.size());
}

}  // namespace

MeanAndDeviation meanAndDeviation(const std::vector<float>& column) {
  if (column.empty()) return {0.0F, 0.0F};
  float sum = 0.0F;
  for (const float x : column) sum += x;
  const float mean = sum / static_cast<float>(column.size());
  float squares = 0.0F;
  for (const float x : column) {
    const float difference = x - mean;
    squares += difference * difference;
  }
  const float deviation = std::sqrt(squares / static_cast<float>(column.size() - 1));
  return {mean, deviation};
}

float correlation(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return 0.0F;
  return reference::correlation(a, reference::meanAndDeviation(a), b,
                                reference::meanAndDeviation(b));
}

float correlation(const std::vector<float>& a, const MeanAndDeviation& ofA,
                  const std::vector<float>& b, const MeanAndDeviation& ofB) {
  if (a.size() != b.size()) return 0.0F;
  if (ofA.deviation < kCorrelationDeviationThreshold ||
      ofB.deviation < kCorrelationDeviationThreshold) {
    return 0.0F;
  }
  float products = 0.0F;
  for (std::size_t k = 0; k < a.size(); ++k) products += a[k] * b[k];
  const std::int32_t n = countOf(a);
  return (products - ofB.mean * ofA.mean * static_cast<float>(n)) /
         (ofB.deviation * ofA.deviation * static_cast<float>(n - 1));
}

void writeCorrelationTable(const DesignMatrix& matrix, std::ostream& out) {
  const auto count = static_cast<std::size_t>(std::max(matrix.nrOfPredictors.value, 0));
  std::vector<MeanAndDeviation> statistics;
  statistics.reserve(count);
  for (std::size_t p = 0; p < count; ++p) statistics.push_back(meanAndDeviation(matrix.values[p]));

  std::string line;
  for (const auto& name : matrix.predictorNames) {
    line += kSeparator;
    line += name;
  }
  line += '\n';
  out << line;
  for (std::size_t i = 0; i < count; ++i) {
    line = matrix.predictorNames[i];
    for (std::size_t j = 0; j < count; ++j) {
      line += kSeparator;
      const float r =
          reference::correlation(matrix.values[i], statistics[i], matrix.values[j], statistics[j]);
      line += fixed(std::abs(r), kDecimals);
    }
    line += '\n';
    out << line;
  }
}

}  // namespace duv::reference
