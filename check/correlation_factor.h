#pragma once

// What the factorisation of a design's correlation matrix R tells beyond rank and VIF, kept with
// the check so that later questions about the design (contrasts) cost O(p²) each rather than a
// factorisation of their own.
//
// Vectors here hold one value per varying column, in the order of DesignCheck::varying, on the
// standardised scale (the weights of columns centred and scaled to unit length).
//
// Null vectors: each column j that the factorisation left dependent is, within the tolerance,
// the combination a_j of the pivots; u_j = e_j - sum over k of a_j[k] e_pivot(k) is then a null
// vector of R (R u_j = 0), and together they span R's null space. R's row space is what is
// orthogonal to all of them.

#include <cstddef>
#include <optional>
#include <vector>

#include "check/symmetric_matrix.h"

namespace duv {

struct CorrelationFactor {
  std::vector<double> means;  // of the raw columns
  std::vector<double> norms;  // lengths of the centred raw columns, all above 0
  // Of R, with the tolerance the check found the rank with.
  PivotedCholesky cholesky;
  // Per column of cholesky.dependent: a_j, its coefficients on cholesky.pivots; and the index
  // in DesignCheck::dependencies of the dependency it makes, none when the check does not list
  // it (DesignCheck::dataPointsExhausted).
  std::vector<std::vector<double>> combinations;
  std::vector<std::optional<std::size_t>> listedAs;
  // Of the Gram matrix of the null vectors, U^T U = I + A A^T (A: the combinations as rows, d x
  // r for d dependent columns and rank r): d x d. When the dependent columns outnumber the
  // pivots (more varying columns than the data points can tell apart), that matrix would take
  // O(d²) memory and O(d³) work; the r x r matrix I + A^T A is factored instead
  // (throughPivots), and (I + A A^T)^-1 = I - A (I + A^T A)^-1 A^T.
  PivotedCholesky nullGram;
  bool throughPivots = false;

  // v · u_j for every dependent column j, in the order of cholesky.dependent.
  std::vector<double> nullComponents(const std::vector<double>& v) const;

  // v R⁺ v^T with R⁺ the Moore-Penrose pseudo-inverse of R: v's part in the row space of R
  // (v less its projection onto the null vectors), through the inverse of R on the pivots.
  // For a v in the row space any generalised inverse gives this value.
  double pseudoInverseForm(const std::vector<double>& v) const;

  // x with U^T U x = b, for b holding one value per dependent column.
  std::vector<double> solveNullGram(const std::vector<double>& b) const;
};

// Completes the factorisation checkDesign made: the null vectors' combinations and Gram
// factor. `firstListed` is the index in DesignCheck::dependencies of the first dependent
// column's dependency, the others following in order; none when they are not listed.
// O(d r² + d² r + d³) for d dependent columns and rank r, O(d r²) when d > r: nothing for a
// design of full rank.
CorrelationFactor factorCorrelations(std::vector<double> means, std::vector<double> norms,
                                     PivotedCholesky cholesky,
                                     std::optional<std::size_t> firstListed);

}  // namespace duv
