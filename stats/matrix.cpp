#include "stats/matrix.h"

#include <algorithm>

#include "stats/singular_value_decomposition.h"
#include "stats/vector_kernels.h"

namespace duv {
namespace {

// The element count as a signed value, so that a negative size fails in the array allocation.
std::unique_ptr<float[]> allocate(std::int64_t count) {
  return std::unique_ptr<float[]>(new float[count]);
}

std::int64_t countOf(std::int32_t rows, std::int32_t cols) {
  return static_cast<std::int64_t>(rows) * static_cast<std::int64_t>(cols);
}

std::size_t sizeOf(std::int64_t count) { return count > 0 ? static_cast<std::size_t>(count) : 0; }

}  // namespace

MatrixInversionError::MatrixInversionError() : std::runtime_error("Matrix inversion failed") {}

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
// Matrix

Matrix::Matrix(std::int32_t rows, std::int32_t cols)
    : rows_(rows), cols_(cols), data_(allocate(countOf(rows, cols))) {}

Matrix::Matrix(std::int32_t rows, std::int32_t cols, float fill) : Matrix(rows, cols) {
  std::fill_n(data_.get(), sizeOf(countOf(rows, cols)), fill);
}

Matrix::Matrix(std::pair<std::int32_t, std::int32_t> size, float fill)
    : Matrix(size.first, size.second, fill) {}

Matrix::Matrix(const Matrix& other) : rows_(other.rows_), cols_(other.cols_) {
  if (other.data_ == nullptr) return;
  const auto count = countOf(rows_, cols_);
  data_ = allocate(count);
  std::copy_n(other.data_.get(), sizeOf(count), data_.get());
}

Matrix& Matrix::operator=(const Matrix& other) {
  if (this == &other) return *this;
  resize(other.rows_, other.cols_);
  std::copy_n(other.data_.get(), sizeOf(countOf(rows_, cols_)), data_.get());
  return *this;
}

Matrix::Matrix(Matrix&& other) noexcept
    : rows_(std::exchange(other.rows_, 0)),
      cols_(std::exchange(other.cols_, 0)),
      data_(std::move(other.data_)) {}

Matrix& Matrix::operator=(Matrix&& other) noexcept {
  rows_ = std::exchange(other.rows_, 0);
  cols_ = std::exchange(other.cols_, 0);
  data_ = std::move(other.data_);
  return *this;
}

void Matrix::resize(std::int32_t rows, std::int32_t cols) {
  const auto count = countOf(rows, cols);
  if (count != countOf(rows_, cols_)) data_ = allocate(count);
  rows_ = rows;
  cols_ = cols;
}

Matrix Matrix::transpose() const {
  Matrix result(cols_, rows_);
  for (std::int32_t c = 0; c < cols_; ++c) {
    for (std::int32_t r = 0; r < rows_; ++r) result(c, r) = (*this)(r, c);
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
// Singular value decomposition and inverse

bool Matrix::svd(Vector& w, Matrix& v) {
  const std::int32_t n = cols_;
  w.resize(n);
  v.resize(n, n);
  SvdWorkspace workspace;
  return singularValueDecomposition(data_.get(), rows_, n, sizeOf(rows_), n > 0 ? &w[0] : nullptr,
                                    v.data_.get(), sizeOf(n), workspace);
}

bool Matrix::invert() {
  if (rows_ != cols_) return false;
  Vector w;
  Matrix v;
  if (!svd(w, v)) return false;
  const std::int32_t n = rows_;
  Matrix result(n, n);
  kernels::inverseFromDecomposition(data_.get(), sizeOf(n), v.data_.get(), sizeOf(n),
                                    n > 0 ? &w[0] : nullptr, sizeOf(n), result.data_.get(),
                                    sizeOf(n));
  *this = std::move(result);
  return true;
}

Matrix Matrix::inverse() const {
  Matrix result(*this);
  if (!result.invert()) throw MatrixInversionError();
  return result;
}

}  // namespace duv
