#pragma once

// The Golub-Reinsch singular value decomposition in its classic (ALGOL/Fortran) form, on plain
// column-major arrays, with the scratch storage kept by the caller so that a series of
// decompositions allocates nothing once the storage has grown. All arithmetic is 32-bit float,
// square roots included; nothing is accumulated in a wider type.
//
// The fixed choices, which decide the float results:
//  - Householder bidiagonalisation, for i = 0 .. n-1: a column reflection zeroing column i
//    below the diagonal (when i < m), then a row reflection zeroing row i right of the
//    superdiagonal (when i < m and i < n-1). Each works on its part divided by the part's
//    scale (sum of absolute values) and is skipped, leaving a 0 on the bidiagonal, when the
//    scale is 0. The reflection's sign is opposite to the leading entry's, a zero leading
//    entry counting as positive. Inner sums start at 0 and run down the index.
//  - anorm is the largest |w[i]| + |e[i]| over the bidiagonal (e the superdiagonal, e[0] = 0);
//    a NaN in any term makes anorm NaN, and then no convergence test ever succeeds.
//  - Accumulation of V (last column first), then of U in place (column min(m, n)-1 first).
//  - Implicitly shifted QR sweeps of plane rotations, for k = n-1 down to 0. An entry counts
//    as zero exactly when adding its magnitude to anorm leaves anorm unchanged in float. The
//    shift comes from the trailing 2 x 2 block. A converged negative w[k] is negated with
//    column k of v.
//  - At most 30 passes per singular value: the 30th pass without convergence ends the
//    decomposition, returning false with the matrix partly transformed.
//  - Hypotenuses are max(|x|, |y|) * sqrt(1 + (min/max)^2), and 0 when both are 0.
// The classic loops themselves are kept in tests/reference, which checks these bits against
// them.
//
// Every element receives the float operations of the classic loops in the same order; the
// loops only run in another arrangement:
//  - the inner products of each Householder step are formed for all columns (or rows) at once,
//    each product still summed in increasing index, on a row-major copy where a column-major
//    array would need strided access, and the copy is updated alongside; a step's updates are
//    carried into the next step's one pass over each array, applied there first, so that every
//    element still receives them in the classic order;
//  - the plane rotations of the diagonalisation change only U and V, never the bidiagonal form
//    that decides them, so they are recorded and applied afterwards, in order, to blocks of rows
//    that stay in the cache.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "stats/vector_kernels.h"

namespace duv {

// Scratch storage of the decomposition; its contents mean nothing between calls.
struct SvdWorkspace {
  std::vector<float> table;          // a row-major copy of a, then V, then U
  std::vector<float> superdiagonal;  // e
  std::vector<float> sums;
  std::vector<float> factors;
  std::vector<float> householder;
  std::vector<float> nextSums;
  std::vector<float> nextHouseholder;
  std::vector<float> reflections;
  std::vector<kernels::ColumnRotation> leftRotations;   // to apply to U
  std::vector<kernels::ColumnRotation> rightRotations;  // to apply to V
};

// Decomposes the m x n matrix `a` (column-major, columns aStride apart) in place: on success a
// holds U (m x n), w (n floats) the singular values and v (n x n, columns vStride apart) V,
// with input = U diag(w) V^T, and the result is true. The singular values are non-negative and
// left in the order the diagonalisation leaves them, unsorted. After 30 passes without
// convergence for some singular value the result is false, with a, w and v partly transformed.
bool singularValueDecomposition(float* a, std::int32_t m, std::int32_t n, std::size_t aStride,
                                float* w, float* v, std::size_t vStride, SvdWorkspace& workspace);

}  // namespace duv
