#include "check/symmetric_matrix.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace duv {
namespace {

using Index = std::ptrdiff_t;

// Householder reduction of the lower triangle of `a` to a tridiagonal matrix with diagonal d
// and sub-diagonal e (e[i] couples i - 1 and i; e[0] = 0). `a` is overwritten.
void reduceToTridiagonal(std::vector<std::vector<double>>& a, std::vector<double>& d,
                         std::vector<double>& e) {
  const auto n = static_cast<Index>(a.size());
  for (Index i = n - 1; i > 0; --i) {
    const Index l = i - 1;
    double h = 0.0;
    auto& row = a[static_cast<std::size_t>(i)];
    if (l > 0) {
      double scale = 0.0;
      for (Index k = 0; k <= l; ++k) scale += std::abs(row[static_cast<std::size_t>(k)]);
      if (scale == 0.0) {
        e[static_cast<std::size_t>(i)] = row[static_cast<std::size_t>(l)];
      } else {
        // Scaling first keeps the sum of squares from overflowing or underflowing.
        for (Index k = 0; k <= l; ++k) {
          row[static_cast<std::size_t>(k)] /= scale;
          h += row[static_cast<std::size_t>(k)] * row[static_cast<std::size_t>(k)];
        }
        double f = row[static_cast<std::size_t>(l)];
        double g = f >= 0.0 ? -std::sqrt(h) : std::sqrt(h);
        e[static_cast<std::size_t>(i)] = scale * g;
        h -= f * g;
        row[static_cast<std::size_t>(l)] = f - g;
        f = 0.0;
        for (Index j = 0; j <= l; ++j) {
          const auto uj = static_cast<std::size_t>(j);
          g = 0.0;
          for (Index k = 0; k <= j; ++k) {
            g += a[uj][static_cast<std::size_t>(k)] * row[static_cast<std::size_t>(k)];
          }
          for (Index k = j + 1; k <= l; ++k) {
            g += a[static_cast<std::size_t>(k)][uj] * row[static_cast<std::size_t>(k)];
          }
          e[uj] = g / h;
          f += e[uj] * row[uj];
        }
        const double hh = f / (h + h);
        for (Index j = 0; j <= l; ++j) {
          const auto uj = static_cast<std::size_t>(j);
          f = row[uj];
          g = e[uj] - hh * f;
          e[uj] = g;
          for (Index k = 0; k <= j; ++k) {
            const auto uk = static_cast<std::size_t>(k);
            a[uj][uk] -= f * e[uk] + g * row[uk];
          }
        }
      }
    } else {
      e[static_cast<std::size_t>(i)] = row[static_cast<std::size_t>(l)];
    }
    d[static_cast<std::size_t>(i)] = h;
  }
  e[0] = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) d[i] = a[i][i];
}

// Eigenvalues of the tridiagonal matrix (d, e) into d, by implicit QL iterations.
void tridiagonalEigenvalues(std::vector<double>& d, std::vector<double>& e) {
  const auto n = static_cast<Index>(d.size());
  const auto at = [](std::vector<double>& v, Index i) -> double& {
    return v[static_cast<std::size_t>(i)];
  };
  for (Index i = 1; i < n; ++i) at(e, i - 1) = at(e, i);
  if (n > 0) at(e, n - 1) = 0.0;
  constexpr int kMaxIterations = 60;
  for (Index l = 0; l < n; ++l) {
    int iterations = 0;
    while (true) {
      Index m = l;
      for (; m < n - 1; ++m) {
        const double dd = std::abs(at(d, m)) + std::abs(at(d, m + 1));
        if (std::abs(at(e, m)) <= std::numeric_limits<double>::epsilon() * dd) break;
      }
      if (m == l) break;
      if (iterations++ == kMaxIterations) {
        throw std::runtime_error("eigenvalues did not converge");
      }
      double g = (at(d, l + 1) - at(d, l)) / (2.0 * at(e, l));
      double r = std::hypot(g, 1.0);
      g = at(d, m) - at(d, l) + at(e, l) / (g + std::copysign(r, g));
      double s = 1.0;
      double c = 1.0;
      double p = 0.0;
      bool underflow = false;
      for (Index i = m - 1; i >= l; --i) {
        const double f = s * at(e, i);
        const double b = c * at(e, i);
        r = std::hypot(f, g);
        at(e, i + 1) = r;
        if (r == 0.0) {
          // The matrix split: restart on the smaller block.
          at(d, i + 1) -= p;
          at(e, m) = 0.0;
          underflow = true;
          break;
        }
        s = f / r;
        c = g / r;
        g = at(d, i + 1) - p;
        r = (at(d, i) - g) * s + 2.0 * c * b;
        p = s * r;
        at(d, i + 1) = g + p;
        g = c * r - b;
      }
      if (underflow) continue;
      at(d, l) -= p;
      at(e, l) = g;
      at(e, m) = 0.0;
    }
  }
}

}  // namespace

std::vector<double> symmetricEigenvalues(const SymmetricMatrix& matrix) {
  const std::size_t n = matrix.size();
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j <= i; ++j) a[i][j] = matrix.at(i, j);
  }
  std::vector<double> d(n, 0.0);
  std::vector<double> e(n, 0.0);
  if (n > 0) {
    reduceToTridiagonal(a, d, e);
    tridiagonalEigenvalues(d, e);
  }
  std::sort(d.begin(), d.end());
  return d;
}

PivotedCholesky pivotedCholesky(const SymmetricMatrix& matrix, double tolerance) {
  const std::size_t n = matrix.size();
  PivotedCholesky result;
  result.factor.assign(n, {});
  std::vector<double> remaining(n);
  std::vector<bool> taken(n, false);
  for (std::size_t j = 0; j < n; ++j) remaining[j] = matrix.at(j, j);
  const auto lower = [&matrix](std::size_t i, std::size_t j) {
    return i >= j ? matrix.at(i, j) : matrix.at(j, i);
  };
  for (std::size_t step = 0; step < n; ++step) {
    std::size_t pivot = n;
    for (std::size_t j = 0; j < n; ++j) {
      if (!taken[j] && (pivot == n || remaining[j] > remaining[pivot])) pivot = j;
    }
    if (!(remaining[pivot] > tolerance)) break;
    taken[pivot] = true;
    result.pivots.push_back(pivot);
    const double diagonal = std::sqrt(remaining[pivot]);
    const auto& pivotRow = result.factor[pivot];
    for (std::size_t j = 0; j < n; ++j) {
      if (taken[j] && j != pivot) continue;
      auto& row = result.factor[j];
      if (j == pivot) {
        row.push_back(diagonal);
        continue;
      }
      double value = lower(j, pivot);
      for (std::size_t k = 0; k < step; ++k) value -= row[k] * pivotRow[k];
      value /= diagonal;
      row.push_back(value);
      remaining[j] -= value * value;
    }
  }
  for (std::size_t j = 0; j < n; ++j) {
    if (!taken[j]) result.dependent.push_back(j);
  }
  return result;
}

std::vector<double> PivotedCholesky::combinationOf(std::size_t j) const {
  // A[P, j] = L11 L[j]^T, so the least-squares coefficients solve L11^T c = L[j]^T.
  const std::size_t r = rank();
  std::vector<double> c(r, 0.0);
  const auto& row = factor[j];
  for (std::size_t k = r; k-- > 0;) {
    double value = k < row.size() ? row[k] : 0.0;
    for (std::size_t l = k + 1; l < r; ++l) value -= factor[pivots[l]][k] * c[l];
    c[k] = value / factor[pivots[k]][k];
  }
  return c;
}

std::vector<double> PivotedCholesky::inverseDiagonal() const {
  // (A^-1)_kk = sum over i of ((L11^-1)_ik)^2; L11^-1 is lower triangular, solved column by
  // column.
  const std::size_t r = rank();
  std::vector<double> diagonal(r, 0.0);
  std::vector<double> column(r);
  for (std::size_t k = 0; k < r; ++k) {
    std::fill(column.begin(), column.end(), 0.0);
    column[k] = 1.0 / factor[pivots[k]][k];
    double sum = column[k] * column[k];
    for (std::size_t i = k + 1; i < r; ++i) {
      double value = 0.0;
      const auto& row = factor[pivots[i]];
      for (std::size_t l = k; l < i; ++l) value -= row[l] * column[l];
      column[i] = value / row[i];
      sum += column[i] * column[i];
    }
    diagonal[k] = sum;
  }
  return diagonal;
}

std::vector<double> PivotedCholesky::solveLower(const std::vector<double>& b) const {
  const std::size_t r = rank();
  std::vector<double> y(r, 0.0);
  for (std::size_t k = 0; k < r; ++k) {
    const auto& row = factor[pivots[k]];
    double value = b[pivots[k]];
    for (std::size_t l = 0; l < k; ++l) value -= row[l] * y[l];
    y[k] = value / row[k];
  }
  return y;
}

std::vector<double> PivotedCholesky::solve(const std::vector<double>& b) const {
  // L11 L11^T x[P] = b[P]: the forward solve, then the backward one with L11^T.
  const std::size_t r = rank();
  auto z = solveLower(b);
  for (std::size_t k = r; k-- > 0;) {
    double value = z[k];
    for (std::size_t l = k + 1; l < r; ++l) value -= factor[pivots[l]][k] * z[l];
    z[k] = value / factor[pivots[k]][k];
  }
  std::vector<double> x(factor.size(), 0.0);
  for (std::size_t k = 0; k < r; ++k) x[pivots[k]] = z[k];
  return x;
}

}  // namespace duv
