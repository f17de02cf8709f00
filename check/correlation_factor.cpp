#include "check/correlation_factor.h"

#include <utility>

namespace duv {
namespace {

// U^T U = I + A A^T is at least I, so every remaining diagonal of its factorisation is at least
// 1: any tolerance below that takes every column.
constexpr double kNullGramTolerance = 0.5;

double dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
  return sum;
}

}  // namespace

std::vector<double> CorrelationFactor::nullComponents(const std::vector<double>& v) const {
  std::vector<double> components(cholesky.dependent.size());
  for (std::size_t i = 0; i < components.size(); ++i) {
    double value = v[cholesky.dependent[i]];
    const auto& a = combinations[i];
    for (std::size_t k = 0; k < a.size(); ++k) value -= a[k] * v[cholesky.pivots[k]];
    components[i] = value;
  }
  return components;
}

std::vector<double> CorrelationFactor::solveNullGram(const std::vector<double>& b) const {
  if (!throughPivots) return nullGram.solve(b);
  // (I + A A^T)^-1 b = b - A (I + A^T A)^-1 A^T b.
  std::vector<double> atb(cholesky.rank(), 0.0);
  for (std::size_t i = 0; i < b.size(); ++i) {
    const auto& a = combinations[i];
    for (std::size_t k = 0; k < a.size(); ++k) atb[k] += a[k] * b[i];
  }
  const auto y = nullGram.solve(atb);
  auto x = b;
  for (std::size_t i = 0; i < x.size(); ++i) x[i] -= dot(combinations[i], y);
  return x;
}

double CorrelationFactor::pseudoInverseForm(const std::vector<double>& v) const {
  auto row = v;
  if (!cholesky.dependent.empty()) {
    // v - U (U^T U)^-1 U^T v.
    const auto x = solveNullGram(nullComponents(v));
    for (std::size_t i = 0; i < x.size(); ++i) {
      row[cholesky.dependent[i]] -= x[i];
      const auto& a = combinations[i];
      for (std::size_t k = 0; k < a.size(); ++k) row[cholesky.pivots[k]] += x[i] * a[k];
    }
  }
  const auto y = cholesky.solveLower(row);
  return dot(y, y);
}

CorrelationFactor factorCorrelations(std::vector<double> means, std::vector<double> norms,
                                     PivotedCholesky cholesky,
                                     std::optional<std::size_t> firstListed) {
  CorrelationFactor result;
  result.means = std::move(means);
  result.norms = std::move(norms);
  result.cholesky = std::move(cholesky);
  const auto& dependent = result.cholesky.dependent;
  const std::size_t d = dependent.size();
  for (std::size_t i = 0; i < d; ++i) {
    result.combinations.push_back(result.cholesky.combinationOf(dependent[i]));
    result.listedAs.push_back(firstListed ? std::optional(*firstListed + i) : std::nullopt);
  }
  const std::size_t r = result.cholesky.rank();
  if (d > r) {
    SymmetricMatrix gram(r);
    for (std::size_t k = 0; k < r; ++k) gram.at(k, k) = 1.0;
    for (const auto& a : result.combinations) {
      for (std::size_t k = 0; k < r; ++k) {
        for (std::size_t l = 0; l <= k; ++l) gram.at(k, l) += a[k] * a[l];
      }
    }
    for (std::size_t k = 0; k < r; ++k) {
      for (std::size_t l = 0; l < k; ++l) gram.at(l, k) = gram.at(k, l);
    }
    result.nullGram = pivotedCholesky(gram, kNullGramTolerance);
    result.throughPivots = true;
    return result;
  }
  SymmetricMatrix gram(d);
  for (std::size_t i = 0; i < d; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      const double value =
          (i == j ? 1.0 : 0.0) + dot(result.combinations[i], result.combinations[j]);
      gram.at(i, j) = value;
      gram.at(j, i) = value;
    }
  }
  result.nullGram = pivotedCholesky(gram, kNullGramTolerance);
  return result;
}

}  // namespace duv
