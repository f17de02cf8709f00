#include "stats/matrix.h"

#include <algorithm>

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

}  // namespace duv
