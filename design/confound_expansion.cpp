#include "design/confound_expansion.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "design/confound_table.h"
#include "design/confound_table_format.h"
#include "design/sdm_format.h"

namespace duv {
namespace {

std::vector<float> backwardDifference(const std::vector<float>& column) {
  std::vector<float> difference(column.size(), 0.0F);
  for (std::size_t t = 1; t < column.size(); ++t) difference[t] = column[t] - column[t - 1];
  return difference;
}

std::vector<float> squared(const std::vector<float>& column) {
  std::vector<float> square(column.size());
  for (std::size_t t = 0; t < column.size(); ++t) square[t] = column[t] * column[t];
  return square;
}

}  // namespace

void expandMotion(ConfoundTable& table, bool derivatives, bool squares) {
  const std::size_t originals = table.columns.size();
  const std::size_t factor = std::size_t{derivatives ? 2U : 1U} * (squares ? 2U : 1U);
  if (originals * factor > static_cast<std::size_t>(sdm::kMaxPredictors)) {
    throw std::runtime_error(table.fileName + ": " + std::to_string(originals * factor) +
                             " columns with their variants, more than the limit of " +
                             std::to_string(sdm::kMaxPredictors));
  }
  table.columns.reserve(originals * factor);
  table.names.reserve(originals * factor);
  if (derivatives) {
    for (std::size_t c = 0; c < originals; ++c) {
      table.columns.push_back(backwardDifference(table.columns[c]));
      table.names.push_back(table.names[c] + std::string(tsv::kDerivativeSuffix));
    }
  }
  if (squares) {
    // Columns and differences alike, in their order.
    const std::size_t toSquare = table.columns.size();
    for (std::size_t c = 0; c < toSquare; ++c) {
      table.columns.push_back(squared(table.columns[c]));
      table.names.push_back(table.names[c] + std::string(tsv::kPowerSuffix));
    }
  }
}

}  // namespace duv
