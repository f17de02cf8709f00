#pragma once

// The straightforward implementation of the vector, the matrix products, the transpose, the SVD
// and the inverse, on the product's Matrix storage, kept as the reference that the fast paths
// of stats/ must reproduce bit for bit. Do not optimise it.
//
// Every operation is 32-bit float arithmetic, square roots included, in the orders stated
// below; nothing is accumulated in a wider type. Results are the same bits on every platform
// that builds without contraction into fused multiply-add.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "stats/matrix.h"

namespace duv::reference {

// Matrix below is duv::Matrix. Argument-dependent lookup looks for its operators in duv only,
// so code outside duv::reference names these (using reference::operator*).

// A vector of floats that owns its array. Copies are deep; a moved-from vector is empty.
// A negative size fails as the array allocation does (std::bad_array_new_length).
class Vector {
 public:
  Vector() = default;
  // Elements are not initialised.
  explicit Vector(std::int32_t size);
  Vector(std::initializer_list<float> values);
  explicit Vector(const std::vector<float>& values);

  Vector(const Vector& other);
  // Reallocates only when the size changes.
  Vector& operator=(const Vector& other);
  Vector(Vector&& other) noexcept;
  Vector& operator=(Vector&& other) noexcept;
  ~Vector() = default;

  // Reallocates only when the size changes; element values are then neither kept nor cleared.
  void resize(std::int32_t size);

  std::int32_t size() const { return size_; }

  // No bounds check.
  float& operator[](std::int32_t i) { return data_[static_cast<std::size_t>(i)]; }
  float operator[](std::int32_t i) const { return data_[static_cast<std::size_t>(i)]; }

  // Every element multiplied by itself.
  Vector squared() const;
  // The elements added in index order, starting from element 0 (so a single -0 sums to -0).
  // 0 for an empty vector.
  float sum() const;
  // sum() divided by the size converted to float (NaN for an empty vector).
  float mean() const;

 private:
  std::int32_t size_ = 0;
  std::unique_ptr<float[]> data_;
};

// Element-wise difference, with the left operand's size; the sizes must agree (not checked).
Vector operator-(const Vector& left, const Vector& right);
// `right` subtracted from every element.
Vector operator-(const Vector& left, float right);

// The cols x rows matrix whose element (c, r) is element (r, c) of `matrix`.
Matrix transpose(const Matrix& matrix);

// Singular value decomposition of the m x n matrix `a` in place, by the Golub-Reinsch method in
// its classic (ALGOL/Fortran) form. On success `a` holds U (m x n), w (resized to n) the
// singular values and v (resized to n x n) V, with input = U diag(w) V^T; the singular values
// are non-negative and left in the order the diagonalisation leaves them, unsorted.
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
bool svd(Matrix& a, Vector& w, Matrix& v);

// Replaces a square matrix by V diag(1 / w) U^T from its svd, leaving out the terms of
// singular values exactly equal to 0 (a NaN is not left out; no other tolerance, so a
// singular matrix gives very large elements rather than failing). Element (i, j) is summed
// from 0 over k in increasing order as += (U(j, k) * V(i, k)) / w[k].
// Returns false, leaving the matrix unchanged, when it is not square; false, leaving it
// partly transformed, when the svd does not converge.
bool invert(Matrix& a);

// The inverse as a new matrix; `a` is unchanged. Throws MatrixInversionError when invert()
// fails on the copy.
Matrix inverse(const Matrix& a);

// Element (r, c) is the sum over k = 0 .. left.cols()-1 of left(r, k) * right(k, c), added in
// increasing k starting from the k = 0 term (0 for an empty inner dimension). The inner
// dimensions must agree (not checked).
Matrix operator*(const Matrix& left, const Matrix& right);
// Element r is the sum over k = 0 .. cols-1 of left(r, k) * right[k], in increasing k starting
// from the k = 0 term (0 for an empty inner dimension).
Vector operator*(const Matrix& left, const Vector& right);

}  // namespace duv::reference
