#include "stats/correlation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "design/file_system.h"
#include "design/number_text.h"
#include "design/paths.h"
#include "stats/column_table.h"

namespace duv {
namespace {

constexpr int kDecimals = 2;
constexpr const char* kSeparator = " ; ";

// Beyond this many predictors the table is computed row by row, pair by pair, rather than
// holding every coefficient at once.
constexpr std::size_t kMaxPredictorsTogether = 4096;

// The counts enter the formulas as signed 32-bit integers converted to float.
std::int32_t countOf(const std::vector<float>& column) {
  return static_cast<std::int32_t>(column.size());
}

// The coefficient from p, the sum of products taken from 0 in index order, of columns of n
// values whose deviations passed the threshold.
float coefficientOf(float products, const MeanAndDeviation& ofA, const MeanAndDeviation& ofB,
                    std::int32_t n) {
  return (products - ofB.mean * ofA.mean * static_cast<float>(n)) /
         (ofB.deviation * ofA.deviation * static_cast<float>(n - 1));
}

bool belowThreshold(const MeanAndDeviation& ofA, const MeanAndDeviation& ofB) {
  return ofA.deviation < kCorrelationDeviationThreshold ||
         ofB.deviation < kCorrelationDeviationThreshold;
}

std::size_t predictorCount(const DesignMatrix& matrix) {
  return static_cast<std::size_t>(std::max(matrix.nrOfPredictors.value, 0));
}

bool equalLengths(const DesignMatrix& matrix, std::size_t count) {
  for (std::size_t p = 1; p < count; ++p) {
    if (matrix.values[p].size() != matrix.values[0].size()) return false;
  }
  return true;
}

}  // namespace

float correlation(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return 0.0F;
  return correlation(a, meanAndDeviation(a), b, meanAndDeviation(b));
}

float correlation(const std::vector<float>& a, const MeanAndDeviation& ofA,
                  const std::vector<float>& b, const MeanAndDeviation& ofB) {
  if (a.size() != b.size()) return 0.0F;
  if (belowThreshold(ofA, ofB)) return 0.0F;
  float products = 0.0F;
  for (std::size_t k = 0; k < a.size(); ++k) products += a[k] * b[k];
  return coefficientOf(products, ofA, ofB, countOf(a));
}

std::vector<float> absoluteCorrelations(const DesignMatrix& matrix) {
  const std::size_t count = predictorCount(matrix);
  std::vector<float> correlations(count * count);
  if (count == 0) return correlations;
  if (!equalLengths(matrix, count)) {
    std::vector<MeanAndDeviation> statistics;
    statistics.reserve(count);
    for (std::size_t p = 0; p < count; ++p) {
      statistics.push_back(meanAndDeviation(matrix.values[p]));
    }
    for (std::size_t i = 0; i < count; ++i) {
      for (std::size_t j = 0; j < count; ++j) {
        correlations[i * count + j] =
            std::abs(correlation(matrix.values[i], statistics[i], matrix.values[j], statistics[j]));
      }
    }
    return correlations;
  }
  std::vector<const float*> columns;
  columns.reserve(count);
  for (std::size_t p = 0; p < count; ++p) columns.push_back(matrix.values[p].data());
  const std::size_t n = matrix.values[0].size();
  const ColumnTable table(columns, n);
  const auto statistics = table.statistics();
  const auto products = table.products();
  const auto points = static_cast<std::int32_t>(n);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = 0; j < count; ++j) {
      const auto& ofA = statistics[i];
      const auto& ofB = statistics[j];
      // The sum from the first product and the sum from 0 differ only in the sign of a zero:
      // 0 + -0 is +0.
      const float r = belowThreshold(ofA, ofB)
                          ? 0.0F
                          : coefficientOf(0.0F + products[i * count + j], ofA, ofB, points);
      correlations[i * count + j] = std::abs(r);
    }
  }
  return correlations;
}

void writeCorrelationTable(const DesignMatrix& matrix, std::ostream& out) {
  const std::size_t count = predictorCount(matrix);
  std::string line;
  for (const auto& name : matrix.predictorNames) {
    line += kSeparator;
    line += name;
  }
  line += '\n';
  out << line;
  if (count <= kMaxPredictorsTogether) {
    const auto correlations = absoluteCorrelations(matrix);
    for (std::size_t i = 0; i < count; ++i) {
      line = matrix.predictorNames[i];
      for (std::size_t j = 0; j < count; ++j) {
        line += kSeparator;
        appendFixed(line, correlations[i * count + j], kDecimals);
      }
      line += '\n';
      out << line;
    }
    return;
  }
  std::vector<MeanAndDeviation> statistics;
  statistics.reserve(count);
  for (std::size_t p = 0; p < count; ++p) statistics.push_back(meanAndDeviation(matrix.values[p]));
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

std::string correlationTablePath(std::string_view designPath) {
  return pathWithoutExtension(designPath) + ".csv";
}

void writeCorrelationTable(const DesignMatrix& matrix) {
  writeCorrelationTable(matrix, realFileSystem());
}

void writeCorrelationTable(const DesignMatrix& matrix, FileSystem& files) {
  writeFile(files, correlationTablePath(matrix.fileName),
            [&matrix](std::ostream& out) { writeCorrelationTable(matrix, out); });
}

}  // namespace duv
