#include "tests/reference/reference_matrix.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace duv::reference {
namespace {

// The element count as a signed value, so that a negative size fails in the array allocation.
std::unique_ptr<float[]> allocate(std::int64_t count) {
  return std::unique_ptr<float[]>(new float[count]);
}

std::size_t sizeOf(std::int64_t count) { return count > 0 ? static_cast<std::size_t>(count) : 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Vector

Vector::Vector(std::int32_t size) : size_(size), data_(allocate(size)) {}

Vector::Vector(std::initializer_list<float> values)
    : size_(static_cast<std::int32_t>(values.size())), data_(allocate(size_)) {
  std::copy(values.begin(), values.end(), data_.get());
}

Vector::Vector(const std::vector<float>& values)
    : size_(static_cast<std::int32_t>(values.size())), data_(allocate(size_)) {
  std::copy(values.begin(), values.end(), data_.get());
}

Vector::Vector(const Vector& other) : size_(other.size_) {
  if (other.data_ == nullptr) return;
  data_ = allocate(size_);
  std::copy_n(other.data_.get(), sizeOf(size_), data_.get());
}

Vector& Vector::operator=(const Vector& other) {
  if (this == &other) return *this;
  resize(other.size_);
  std::copy_n(other.data_.get(), sizeOf(size_), data_.get());
  return *this;
}

Vector::Vector(Vector&& other) noexcept
    : size_(std::exchange(other.size_, 0)), data_(std::move(other.data_)) {}

Vector& Vector::operator=(Vector&& other) noexcept {
  size_ = std::exchange(other.size_, 0);
  data_ = std::move(other.data_);
  return *this;
}

void Vector::resize(std::int32_t size) {
  if (size == size_) return;
  data_ = allocate(size);
  size_ = size;
}

Vector Vector::squared() const {
  Vector result(size_);
  for (std::int32_t i = 0; i < size_; ++i) result[i] = (*this)[i] * (*this)[i];
  return result;
}

float Vector::sum() const {
  if (size_ == 0) return 0.0F;
  float total = (*this)[0];
  for (std::int32_t i = 1; i < size_; ++i) total += (*this)[i];
  return total;
}

float Vector::mean() const { return sum() / static_cast<float>(size_); }

Vector operator-(const Vector& left, const Vector& right) {
  Vector result(left.size());
  for (std::int32_t i = 0; i < left.size(); ++i) result[i] = left[i] - right[i];
  return result;
}

Vector operator-(const Vector& left, float right) {
  Vector result(left.size());
  for (std::int32_t i = 0; i < left.size(); ++i) result[i] = left[i] - right;
  return result;
}

// ---------------------------------------------------------------------------------------------
// Products and transpose

Matrix transpose(const Matrix& matrix) {
  Matrix result(matrix.cols(), matrix.rows());
  for (std::int32_t c = 0; c < matrix.cols(); ++c) {
    for (std::int32_t r = 0; r < matrix.rows(); ++r) result(c, r) = matrix(r, c);
  }
  return result;
}

Matrix operator*(const Matrix& left, const Matrix& right) {
  if (left.cols() == 0) return Matrix(left.rows(), right.cols(), 0.0F);
  Matrix result(left.rows(), right.cols());
  // Column by column, k outermost, so that the inner loop runs down columns; each element still
  // receives its terms in increasing k, the first one assigned rather than added to 0.
  for (std::int32_t c = 0; c < right.cols(); ++c) {
    for (std::int32_t r = 0; r < left.rows(); ++r) result(r, c) = left(r, 0) * right(0, c);
    for (std::int32_t k = 1; k < left.cols(); ++k) {
      const float factor = right(k, c);
      for (std::int32_t r = 0; r < left.rows(); ++r) result(r, c) += left(r, k) * factor;
    }
  }
  return result;
}

Vector operator*(const Matrix& left, const Vector& right) {
  Vector result(left.rows());
  if (left.cols() == 0) {
    for (std::int32_t r = 0; r < left.rows(); ++r) result[r] = 0.0F;
    return result;
  }
  for (std::int32_t r = 0; r < left.rows(); ++r) result[r] = left(r, 0) * right[0];
  for (std::int32_t k = 1; k < left.cols(); ++k) {
    for (std::int32_t r = 0; r < left.rows(); ++r) result[r] += left(r, k) * right[k];
  }
  return result;
}

// ---------------------------------------------------------------------------------------------
// Singular value decomposition

namespace {

// |magnitude| with the sign of `sign`; a zero `sign` counts as positive.
float withSignOf(float magnitude, float sign) {
  return sign >= 0.0F ? std::abs(magnitude) : -std::abs(magnitude);
}

// sqrt(x^2 + y^2) without overflow or underflow in the squares.
float hypotenuse(float x, float y) {
  const float absX = std::abs(x);
  const float absY = std::abs(y);
  if (absX > absY) {
    const float ratio = absY / absX;
    return absX * std::sqrt(1.0F + ratio * ratio);
  }
  if (absY == 0.0F) return 0.0F;
  const float ratio = absX / absY;
  return absY * std::sqrt(1.0F + ratio * ratio);
}

// Counts as zero next to the largest bidiagonal entry.
bool negligible(float value, float anorm) { return std::abs(value) + anorm == anorm; }

struct Bidiagonal {
  Vector& w;  // diagonal
  Vector e;   // superdiagonal, e[i] above w[i]; e[0] is 0
  float anorm = 0.0F;
};

// Reflection from the left that zeroes column i of `a` below the diagonal. Returns the new
// diagonal entry.
float reflectColumn(Matrix& a, std::int32_t i) {
  const std::int32_t m = a.rows();
  const std::int32_t n = a.cols();
  if (i >= m) return 0.0F;
  float scale = 0.0F;
  for (std::int32_t k = i; k < m; ++k) scale += std::abs(a(k, i));
  if (scale == 0.0F) return 0.0F;
  float s = 0.0F;
  for (std::int32_t k = i; k < m; ++k) {
    a(k, i) /= scale;
    s += a(k, i) * a(k, i);
  }
  const float f = a(i, i);
  const float g = -withSignOf(std::sqrt(s), f);
  const float h = f * g - s;
  a(i, i) = f - g;
  for (std::int32_t j = i + 1; j < n; ++j) {
    float dot = 0.0F;
    for (std::int32_t k = i; k < m; ++k) dot += a(k, i) * a(k, j);
    const float factor = dot / h;
    for (std::int32_t k = i; k < m; ++k) a(k, j) += factor * a(k, i);
  }
  for (std::int32_t k = i; k < m; ++k) a(k, i) *= scale;
  return scale * g;
}

// Reflection from the right that zeroes row i of `a` right of the superdiagonal. `work` receives
// the reflection's vector divided by h. Returns the new superdiagonal entry (the one above
// diagonal entry i + 1).
float reflectRow(Matrix& a, std::int32_t i, Vector& work) {
  const std::int32_t m = a.rows();
  const std::int32_t n = a.cols();
  const std::int32_t l = i + 1;
  if (i >= m || i == n - 1) return 0.0F;
  float scale = 0.0F;
  for (std::int32_t k = l; k < n; ++k) scale += std::abs(a(i, k));
  if (scale == 0.0F) return 0.0F;
  float s = 0.0F;
  for (std::int32_t k = l; k < n; ++k) {
    a(i, k) /= scale;
    s += a(i, k) * a(i, k);
  }
  const float f = a(i, l);
  const float g = -withSignOf(std::sqrt(s), f);
  const float h = f * g - s;
  a(i, l) = f - g;
  for (std::int32_t k = l; k < n; ++k) work[k] = a(i, k) / h;
  for (std::int32_t j = l; j < m; ++j) {
    float dot = 0.0F;
    for (std::int32_t k = l; k < n; ++k) dot += a(j, k) * a(i, k);
    for (std::int32_t k = l; k < n; ++k) a(j, k) += dot * work[k];
  }
  for (std::int32_t k = l; k < n; ++k) a(i, k) *= scale;
  return scale * g;
}

// Householder reduction to upper bidiagonal form; the reflections' vectors stay in `a`.
void bidiagonalize(Matrix& a, Bidiagonal& b) {
  const std::int32_t n = a.cols();
  float superdiagonal = 0.0F;  // above w[i], from the row reflection of step i - 1
  for (std::int32_t i = 0; i < n; ++i) {
    b.e[i] = superdiagonal;
    b.w[i] = reflectColumn(a, i);
    // reflectRow uses e[i + 1 ..] as scratch before superdiagonal is stored in e[i + 1].
    superdiagonal = reflectRow(a, i, b.e);
    const float size = std::abs(b.w[i]) + std::abs(b.e[i]);
    // Once NaN, anorm stays NaN: no later comparison replaces it.
    if (std::isnan(size) || size > b.anorm) b.anorm = size;
  }
}

// V: the right reflections multiplied together, from the last one back to the first.
void accumulateRight(const Matrix& a, const Bidiagonal& b, Matrix& v) {
  const std::int32_t n = a.cols();
  for (std::int32_t i = n - 1; i >= 0; --i) {
    const std::int32_t l = i + 1;
    if (i < n - 1) {
      const float g = b.e[l];
      if (g != 0.0F) {
        // Divided twice rather than by the product, which could underflow.
        for (std::int32_t j = l; j < n; ++j) v(j, i) = (a(i, j) / a(i, l)) / g;
        for (std::int32_t j = l; j < n; ++j) {
          float s = 0.0F;
          for (std::int32_t k = l; k < n; ++k) s += a(i, k) * v(k, j);
          for (std::int32_t k = l; k < n; ++k) v(k, j) += s * v(k, i);
        }
      }
      for (std::int32_t j = l; j < n; ++j) {
        v(i, j) = 0.0F;
        v(j, i) = 0.0F;
      }
    }
    v(i, i) = 1.0F;
  }
}

// U, formed in place in `a` from the left reflections, last one first.
void accumulateLeft(Matrix& a, const Bidiagonal& b) {
  const std::int32_t m = a.rows();
  const std::int32_t n = a.cols();
  for (std::int32_t i = std::min(m, n) - 1; i >= 0; --i) {
    const std::int32_t l = i + 1;
    for (std::int32_t j = l; j < n; ++j) a(i, j) = 0.0F;
    if (b.w[i] != 0.0F) {
      const float g = 1.0F / b.w[i];
      for (std::int32_t j = l; j < n; ++j) {
        float s = 0.0F;
        for (std::int32_t k = l; k < m; ++k) s += a(k, i) * a(k, j);
        const float f = (s / a(i, i)) * g;
        for (std::int32_t k = i; k < m; ++k) a(k, j) += f * a(k, i);
      }
      for (std::int32_t j = i; j < m; ++j) a(j, i) *= g;
    } else {
      for (std::int32_t j = i; j < m; ++j) a(j, i) = 0.0F;
    }
    a(i, i) += 1.0F;
  }
}

// Applies the plane rotation (c, s) to columns `first` and `second` of `x`.
void rotateColumns(Matrix& x, std::int32_t first, std::int32_t second, float c, float s) {
  for (std::int32_t r = 0; r < x.rows(); ++r) {
    const float p = x(r, first);
    const float q = x(r, second);
    x(r, first) = p * c + q * s;
    x(r, second) = q * c - p * s;
  }
}

// The start l of the unreduced block ending at k: e[l] negligible (then returns true), or
// w[l - 1] negligible (returns false, and e[l] must be cancelled first). e[0] is zero by
// construction, so position 0 always ends the search, also when anorm is NaN.
bool findBlockStart(const Bidiagonal& b, std::int32_t k, std::int32_t& l) {
  for (l = k; l > 0; --l) {
    if (negligible(b.e[l], b.anorm)) return true;
    if (negligible(b.w[l - 1], b.anorm)) return false;
  }
  return true;
}

// With w[l - 1] negligible, rotates e[l .. k] away into column l - 1 of U.
void cancelSuperdiagonal(Matrix& u, Bidiagonal& b, std::int32_t l, std::int32_t k) {
  const std::int32_t nm = l - 1;
  float c = 0.0F;
  float s = 1.0F;
  for (std::int32_t i = l; i <= k; ++i) {
    const float f = s * b.e[i];
    b.e[i] = c * b.e[i];
    if (negligible(f, b.anorm)) break;
    const float g = b.w[i];
    float h = hypotenuse(f, g);
    b.w[i] = h;
    h = 1.0F / h;
    c = g * h;
    s = -f * h;
    rotateColumns(u, nm, i, c, s);
  }
}

// One implicitly shifted QR sweep over the block l .. k.
void shiftedSweep(Matrix& u, Matrix& v, Bidiagonal& b, std::int32_t l, std::int32_t k) {
  const std::int32_t nm = k - 1;
  // Shift from the trailing 2 x 2 block.
  float x = b.w[l];
  float y = b.w[nm];
  float z = b.w[k];
  float g = b.e[nm];
  float h = b.e[k];
  float f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0F * h * y);
  g = hypotenuse(f, 1.0F);
  f = ((x - z) * (x + z) + h * ((y / (f + withSignOf(g, f))) - h)) / x;
  // Chase the bulge down the block.
  float c = 1.0F;
  float s = 1.0F;
  for (std::int32_t j = l; j <= nm; ++j) {
    const std::int32_t i = j + 1;
    g = b.e[i];
    y = b.w[i];
    h = s * g;
    g = c * g;
    z = hypotenuse(f, h);
    b.e[j] = z;
    c = f / z;
    s = h / z;
    f = x * c + g * s;
    g = g * c - x * s;
    h = y * s;
    y *= c;
    rotateColumns(v, j, i, c, s);
    z = hypotenuse(f, h);
    b.w[j] = z;
    if (z != 0.0F) {
      z = 1.0F / z;
      c = f * z;
      s = h * z;
    }
    f = c * g + s * y;
    x = c * y - s * g;
    rotateColumns(u, j, i, c, s);
  }
  b.e[l] = 0.0F;
  b.e[k] = f;
  b.w[k] = x;
}

constexpr int kMaxPasses = 30;

// Diagonalises the bidiagonal form, singular value by singular value from the last.
bool diagonalize(Matrix& u, Matrix& v, Bidiagonal& b) {
  for (std::int32_t k = u.cols() - 1; k >= 0; --k) {
    for (int pass = 1;; ++pass) {
      std::int32_t l = 0;
      if (!findBlockStart(b, k, l)) cancelSuperdiagonal(u, b, l, k);
      if (l == k) {
        if (b.w[k] < 0.0F) {
          b.w[k] = -b.w[k];
          for (std::int32_t r = 0; r < v.rows(); ++r) v(r, k) = -v(r, k);
        }
        break;
      }
      if (pass == kMaxPasses) return false;
      shiftedSweep(u, v, b, l, k);
    }
  }
  return true;
}

}  // namespace

bool svd(Matrix& a, Vector& w, Matrix& v) {
  const std::int32_t n = a.cols();
  w.resize(n);
  v.resize(n, n);
  Bidiagonal b{w, Vector(n)};
  bidiagonalize(a, b);
  accumulateRight(a, b, v);
  accumulateLeft(a, b);
  return diagonalize(a, v, b);
}

bool invert(Matrix& a) {
  if (a.rows() != a.cols()) return false;
  Vector w;
  Matrix v;
  if (!svd(a, w, v)) return false;
  const std::int32_t n = a.rows();
  Matrix result(n, n, 0.0F);
  for (std::int32_t i = 0; i < n; ++i) {
    for (std::int32_t j = 0; j < n; ++j) {
      for (std::int32_t k = 0; k < n; ++k) {
        if (w[k] != 0.0F) result(i, j) += (a(j, k) * v(i, k)) / w[k];
      }
    }
  }
  a = std::move(result);
  return true;
}

Matrix inverse(const Matrix& a) {
  Matrix result(a);
  if (!invert(result)) throw MatrixInversionError();
  return result;
}

}  // namespace duv::reference
