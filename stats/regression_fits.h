#pragma once

// The least-squares fits behind the report's R² values, all from one pass over the data: the
// sums of products of every pair of regressor columns are formed once, and each fit takes its
// normal matrix X^T X from them (its elements are those very sums, in the same order). Each fit
// then runs in a workspace of its own that it reuses, so fits allocate nothing once the
// workspaces have grown, and independent fits may run on several threads with the same
// results.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "stats/matrix.h"

namespace duv {

// For every target k < targets, the R² of column k of `regressors` (n x Q, n >= 1, targets < Q)
// fitted on the other columns X, less every column whose bits repeat an earlier one of that X,
// in float arithmetic exactly as
//   total = sum((y - mean(y))^2), A = inverse(X^T X), b = (A X^T) y, fit = X b,
//   R² = 1 - sum((y - fit)^2) / total,
// every sum (of elements, and over the inner index of a product) added in increasing index
// starting from its first term; A is formed by singularValueDecomposition and
// kernels::inverseFromDecomposition.
// `workers` threads (the calling one among them; 0 counts as 1) take the fits in turn.
// Throws MatrixInversionError when an inverse cannot be formed (with several workers, the error
// of the first such target), and passes on other errors the same way.
std::vector<float> rSquaredOfTargets(const Matrix& regressors, std::int32_t targets,
                                     std::size_t workers);

}  // namespace duv
