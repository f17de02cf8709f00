#include "design/confound_expansion.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "design/confound_table.h"
#include "design/confound_table_format.h"
#include "design/sdm_format.h"

namespace duv {
namespace {

// A variant of finite values must be finite: huge motion values would otherwise make columns
// of infinities that no later step can fit. `inputsFinite(t)` tells whether row t's variant
// was made of finite values only.
template <typename InputsFinite>
void requireNoOverflow(const ConfoundTable& table, const std::vector<float>& variant,
                       const std::string& name, std::string_view what, InputsFinite inputsFinite) {
  for (std::size_t t = 0; t < variant.size(); ++t) {
    if (!std::isfinite(variant[t]) && inputsFinite(t)) {
      throw std::runtime_error(table.fileName + ", column " + name + ": " + std::string(what) +
                               " overflows single precision");
    }
  }
}

std::vector<float> backwardDifference(const ConfoundTable& table, std::size_t c,
                                      const std::string& name) {
  const auto& column = table.columns[c];
  std::vector<float> difference(column.size(), 0.0F);
  for (std::size_t t = 1; t < column.size(); ++t) difference[t] = column[t] - column[t - 1];
  requireNoOverflow(table, difference, name, "the difference of two values", [&](std::size_t t) {
    return t == 0 || (std::isfinite(column[t]) && std::isfinite(column[t - 1]));
  });
  return difference;
}

std::vector<float> squared(const ConfoundTable& table, std::size_t c, const std::string& name) {
  const auto& column = table.columns[c];
  std::vector<float> square(column.size());
  for (std::size_t t = 0; t < column.size(); ++t) square[t] = column[t] * column[t];
  requireNoOverflow(table, square, name, "the square of a value",
                    [&](std::size_t t) { return std::isfinite(column[t]); });
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
      auto name = table.names[c] + std::string(tsv::kDerivativeSuffix);
      table.columns.push_back(backwardDifference(table, c, name));
      table.names.push_back(std::move(name));
    }
  }
  if (squares) {
    // Columns and differences alike, in their order.
    const std::size_t toSquare = table.columns.size();
    for (std::size_t c = 0; c < toSquare; ++c) {
      auto name = table.names[c] + std::string(tsv::kPowerSuffix);
      table.columns.push_back(squared(table, c, name));
      table.names.push_back(std::move(name));
    }
  }
}

}  // namespace duv
