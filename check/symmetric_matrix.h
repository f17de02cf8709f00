#pragma once

// Double-precision linear algebra for the design diagnostics: a dense symmetric matrix, its
// eigenvalues, and a Cholesky factorisation with symmetric pivoting that finds the rank and the
// columns that are combinations of others. Unlike the report's single-precision arithmetic,
// these are numerical diagnostics: double precision throughout, no bitwise promises.

#include <cstddef>
#include <utility>
#include <vector>

namespace duv {

// A dense n x n matrix of doubles, stored row by row. Symmetry is the caller's promise; the
// functions below read the lower triangle (row >= column) only.
class SymmetricMatrix {
 public:
  explicit SymmetricMatrix(std::size_t size) : size_(size), values_(size * size, 0.0) {}

  std::size_t size() const { return size_; }
  double& at(std::size_t row, std::size_t column) { return values_[row * size_ + column]; }
  double at(std::size_t row, std::size_t column) const { return values_[row * size_ + column]; }
  // The n x n values row by row, moved out; the matrix is then of size 0.
  std::vector<double> releaseValues() {
    size_ = 0;
    return std::move(values_);
  }

 private:
  std::size_t size_;
  std::vector<double> values_;
};

// All eigenvalues, in ascending order (Householder reduction to tridiagonal form, then the
// implicit QL method with Wilkinson-style shifts). Throws std::runtime_error when the iteration
// does not converge, which finite input does not cause in practice.
std::vector<double> symmetricEigenvalues(const SymmetricMatrix& matrix);

// The factorisation A[P, P] = L L^T of a positive semi-definite matrix, taking at every step the
// column with the largest remaining diagonal (the part of that column not yet explained by the
// columns taken before it), and stopping when no remaining diagonal exceeds `tolerance`.
struct PivotedCholesky {
  // The columns taken, in the order taken: a basis of the matrix's column space.
  std::vector<std::size_t> pivots;
  // The columns left: each is, within the tolerance, a combination of the pivots. Ascending.
  std::vector<std::size_t> dependent;
  // factor[j][k]: entry of L for column j (any column, taken or not) at step k < pivots.size().
  std::vector<std::vector<double>> factor;

  std::size_t rank() const { return pivots.size(); }

  // The coefficients c with column j = sum over k of c[k] * column pivots[k] (for a Gram matrix
  // of columns: the least-squares fit of column j on the pivots).
  std::vector<double> combinationOf(std::size_t j) const;

  // The diagonal of the inverse of A restricted to the pivots, in pivot order.
  std::vector<double> inverseDiagonal() const;

  // y with L11 y = b[pivots], in pivot order, for b holding one value per column (only the
  // pivots' are read): y·y = b[P] A[P, P]^-1 b[P]^T.
  std::vector<double> solveLower(const std::vector<double>& b) const;

  // x with A[P, P] x[P] = b[P], one value per column, 0 at the dependent ones (A's generalised
  // inverse that inverts it on the pivots).
  std::vector<double> solve(const std::vector<double>& b) const;
};

PivotedCholesky pivotedCholesky(const SymmetricMatrix& matrix, double tolerance);

}  // namespace duv
