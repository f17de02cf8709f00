#pragma once

// The Golub-Reinsch singular value decomposition behind Matrix::svd (see stats/matrix.h for
// its fixed choices), on plain column-major arrays, with the scratch storage kept by the caller
// so that a series of decompositions allocates nothing once the storage has grown.
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
// holds U, w (n floats) the singular values and v (n x n, columns vStride apart) V, exactly as
// Matrix::svd gives them, and the result is true. After 30 passes without convergence for some
// singular value the result is false, with a, w and v as Matrix::svd leaves them then.
bool singularValueDecomposition(float* a, std::int32_t m, std::int32_t n, std::size_t aStride,
                                float* w, float* v, std::size_t vStride, SvdWorkspace& workspace);

}  // namespace duv
