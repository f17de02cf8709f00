#include "stats/correlation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "design/file_system.h"
#include "design/number_text.h"
#include "design/text.h"

namespace duv {
namespace {

constexpr int kDecimals = 2;
constexpr const char* kSeparator = " ; ";

// The counts enter the formulas as signed 32-bit integers converted to float.
std::int32_t countOf(const std::vector<float>& column) {
  return static_cast<std::int32_t>(column.size());
}

}  // namespace

float correlation(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return 0.0F;
  return correlation(a, meanAndDeviation(a), b, meanAndDeviation(b));
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
      const float r = correlation(matrix.values[i], statistics[i], matrix.values[j], statistics[j]);
      appendFixed(line, std::abs(r), kDecimals);
    }
    line += '\n';
    out << line;
  }
}

void writeCorrelationTable(const DesignMatrix& matrix) {
  writeCorrelationTable(matrix, realFileSystem());
}

void writeCorrelationTable(const DesignMatrix& matrix, FileSystem& files) {
  writeFile(files, pathWithoutExtension(matrix.fileName) + ".csv",
            [&matrix](std::ostream& out) { writeCorrelationTable(matrix, out); });
}

}  // namespace duv
