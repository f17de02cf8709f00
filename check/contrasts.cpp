#include "check/contrasts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/threshold_error.h"

namespace duv {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A contrast is orthogonal to a null vector when their product stays below this share of its
// largest standardised weight: the square root of kDependencyTolerance, the check's own bound
// for a column's weight in a dependency.
constexpr double kOrthogonalityTolerance = 1e-4;
constexpr std::size_t kCloseNames = 3;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Levenshtein distance, ignoring ASCII case.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const bool same = lowerAscii(a[i - 1]) == lowerAscii(b[j - 1]);
      current[j] =
          std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

std::vector<std::string> closeNames(const std::string& name, const DesignCheck& check) {
  const std::size_t within = std::max<std::size_t>(2, name.size() / 3);
  std::vector<std::pair<std::size_t, std::string>> close;
  for (const auto& column : check.columns) {
    const bool listed = std::any_of(close.begin(), close.end(),
                                    [&](const auto& found) { return found.second == column.name; });
    if (listed) continue;
    const std::size_t distance = editDistance(name, column.name);
    if (distance <= within) close.emplace_back(distance, column.name);
  }
  std::stable_sort(close.begin(), close.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (std::size_t i = 0; i < close.size() && i < kCloseNames; ++i) {
    names.push_back(close[i].second);
  }
  return names;
}

std::string quotedList(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
  return text;
}

// "2 and 5", "2, 5 and 7": positions from 1.
std::string positionList(const std::vector<std::size_t>& positions) {
  std::string text;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (i > 0) text += i + 1 == positions.size() ? " and " : ", ";
    text += std::to_string(positions[i] + 1);
  }
  return text;
}

std::size_t positionOf(const std::string& predictor, const Contrast& contrast,
                       const DesignCheck& check) {
  const std::string context = "contrast \"" + contrast.name + "\" names \"" + predictor + "\", ";
  std::vector<std::size_t> positions;
  for (std::size_t p = 0; p < check.columns.size(); ++p) {
    if (check.columns[p].name == predictor) positions.push_back(p);
  }
  if (positions.empty()) {
    const auto close = closeNames(predictor, check);
    throw std::runtime_error(context + "which the design does not have" +
                             (close.empty() ? "" : " (close: " + quotedList(close) + ")"));
  }
  if (positions.size() > 1) {
    throw std::runtime_error(context + "which is ambiguous: predictors " + positionList(positions) +
                             " have that name");
  }
  if (check.columns[positions.front()].kind == ColumnKind::constant) {
    throw std::runtime_error(context +
                             "a constant predictor: contrasts weigh predictors that vary");
  }
  return positions.front();
}

// A dependency the check does not list: the dependent column and the columns carrying weight in
// its combination.
std::vector<std::size_t> unlistedDependency(const DesignCheck& check, std::size_t i) {
  const auto& factor = check.correlationFactor;
  std::vector<std::size_t> columns{check.varying[factor.cholesky.dependent[i]]};
  const auto& a = factor.combinations[i];
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (std::abs(a[k]) >= kOrthogonalityTolerance) {
      columns.push_back(check.varying[factor.cholesky.pivots[k]]);
    }
  }
  std::sort(columns.begin(), columns.end());
  return columns;
}

double largestMagnitude(const std::vector<double>& v) {
  double largest = 0.0;
  for (const double value : v) largest = std::max(largest, std::abs(value));
  return largest;
}

void addEstimability(ContrastCheck& result, const DesignCheck& check,
                     const std::vector<double>& standardisedWeights) {
  for (std::size_t p = 0; p < result.weights.size(); ++p) {
    if (result.weights[p] == 0.0) continue;
    if (check.columns[p].kind == ColumnKind::zero) result.dependencies.push_back({p});
    if (check.columns[p].kind == ColumnKind::nonFinite) result.nonFinite.push_back(p);
  }
  const auto& factor = check.correlationFactor;
  const double bound = kOrthogonalityTolerance * largestMagnitude(standardisedWeights);
  const auto components = factor.nullComponents(standardisedWeights);
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (!(std::abs(components[i]) > bound)) continue;
    const auto listed = factor.listedAs[i];
    result.dependencies.push_back(listed ? check.dependencies[*listed]
                                         : unlistedDependency(check, i));
  }
}

}  // namespace

void validateContrastThresholds(const ContrastThresholds& t) {
  if (!(t.mediumVif >= 1.0 && std::isfinite(t.mediumVif))) {
    throw ThresholdError(ThresholdSetting::mediumContrastVif, ThresholdRule::atLeastOne);
  }
  if (!(t.highVif >= t.mediumVif && std::isfinite(t.highVif))) {
    throw ThresholdError(ThresholdSetting::highContrastVif, ThresholdRule::atLeastMedium);
  }
}

ContrastCheck checkContrast(const Contrast& contrast, const DesignCheck& check,
                            const ContrastThresholds& thresholds) {
  ContrastCheck result;
  result.name = contrast.name;
  result.weights.assign(check.columns.size(), 0.0);
  for (const auto& term : contrast.terms) {
    result.weights[positionOf(term.predictor, contrast, check)] = term.weight;
  }

  // v: the weights of the varying columns, taken on the standardised columns (the contrast
  // VIF's view), scaled to a largest weight of 1 so that no weight's size overflows the forms
  // below; w = v D^-1: the same contrast of the raw coefficients, written on the standardised
  // scale (estimability and efficiency).
  const auto& factor = check.correlationFactor;
  const std::size_t m = check.varying.size();
  std::vector<double> v(m);
  for (std::size_t i = 0; i < m; ++i) v[i] = result.weights[check.varying[i]];
  const double scale = largestMagnitude(v);
  std::vector<double> w(m);
  for (std::size_t i = 0; i < m; ++i) {
    if (scale > 0.0) v[i] /= scale;  // 0 only for a contrast of columns that do not vary
    w[i] = v[i] / factor.norms[i];
  }
  addEstimability(result, check, w);
  if (!result.estimable()) {
    result.vif = kInfinity;
    result.efficiency = 0.0;
    result.level = CheckLevel::error;
    return result;
  }

  double squares = 0.0;
  for (const double value : v) squares += value * value;
  result.vif = factor.pseudoInverseForm(v) / squares;
  result.efficiency = 1.0 / factor.pseudoInverseForm(w) / scale / scale;
  if (result.vif >= thresholds.highVif) {
    result.level = CheckLevel::high;
  } else if (result.vif >= thresholds.mediumVif) {
    result.level = CheckLevel::medium;
  }
  return result;
}

}  // namespace duv
