#pragma once

// Dense single-precision matrices: the regressors and normal matrices of the correlation
// report's least-squares fits. Only storage: the fits run the decomposition and products on
// the array itself (stats/singular_value_decomposition.h, stats/vector_kernels.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>

namespace duv {

// Thrown by the fits when the inverse of a normal matrix cannot be formed (its decomposition
// does not converge). Its message is "Matrix inversion failed".
class MatrixInversionError : public std::runtime_error {
 public:
  MatrixInversionError();
};

// A rows x cols matrix of floats stored column by column in one owning array: element (r, c)
// is array element r + c * rows. Copies are deep; a moved-from matrix is 0 x 0. A negative
// element count fails as the array allocation does (std::bad_array_new_length).
class Matrix {
 public:
  // 0 x 0, without an array.
  Matrix() = default;
  // Elements are not initialised.
  Matrix(std::int32_t rows, std::int32_t cols);
  Matrix(std::int32_t rows, std::int32_t cols, float fill);
  Matrix(std::pair<std::int32_t, std::int32_t> size, float fill);

  Matrix(const Matrix& other);
  // Reallocates only when rows x cols changes.
  Matrix& operator=(const Matrix& other);
  Matrix(Matrix&& other) noexcept;
  Matrix& operator=(Matrix&& other) noexcept;
  ~Matrix() = default;

  // Sets the dimensions; reallocates only when rows x cols changes. Element values are then
  // neither kept nor cleared.
  void resize(std::int32_t rows, std::int32_t cols);

  std::int32_t rows() const { return rows_; }
  std::int32_t cols() const { return cols_; }

  // The array, element (r, c) at r + c * rows(); may be null when the matrix has no elements.
  float* data() { return data_.get(); }
  const float* data() const { return data_.get(); }

  // No bounds check.
  float& operator()(std::int32_t r, std::int32_t c) { return data_[index(r, c)]; }
  float operator()(std::int32_t r, std::int32_t c) const { return data_[index(r, c)]; }

 private:
  std::size_t index(std::int32_t r, std::int32_t c) const {
    return static_cast<std::size_t>(r) +
           static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_);
  }

  std::int32_t rows_ = 0;
  std::int32_t cols_ = 0;
  std::unique_ptr<float[]> data_;
};

}  // namespace duv
