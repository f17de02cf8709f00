#pragma once

// The product's decomposition and inverse on whole Matrix values, so that a test can ask for
// "the inverse of this matrix" in one call. The fits themselves call
// singularValueDecomposition and kernels::inverseFromDecomposition on their own arrays; these
// wrappers pass a Matrix's array and dimensions to the same two functions and add nothing to
// the arithmetic, so their results are the product's bits.

#include <vector>

#include "stats/matrix.h"

namespace duv::testing {

// Decomposes the m x n matrix `a` in place: on success `a` holds U, `w` (resized to n) the
// singular values and `v` (resized to n x n) V, and the result is true. False when the
// decomposition does not converge, with a, w and v partly transformed.
bool decompose(Matrix& a, std::vector<float>& w, Matrix& v);

// Replaces a square matrix by V diag(1 / w) U^T from its decomposition (terms of singular
// values exactly 0 left out). False, leaving the matrix unchanged, when it is not square;
// false, leaving it partly transformed, when the decomposition does not converge.
bool invertInPlace(Matrix& a);

// The inverse as a new matrix; `a` is unchanged. Throws MatrixInversionError when
// invertInPlace fails on the copy.
Matrix inverseOf(const Matrix& a);

}  // namespace duv::testing
