#include "tests/support/matrix_decomposition.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "stats/singular_value_decomposition.h"
#include "stats/vector_kernels.h"

namespace duv::testing {
namespace {

std::size_t strideOf(std::int32_t rows) { return rows > 0 ? static_cast<std::size_t>(rows) : 0; }

}  // namespace

bool decompose(Matrix& a, std::vector<float>& w, Matrix& v) {
  const std::int32_t n = a.cols();
  w.resize(strideOf(n));
  v.resize(n, n);
  SvdWorkspace workspace;
  return singularValueDecomposition(a.data(), a.rows(), n, strideOf(a.rows()), w.data(), v.data(),
                                    strideOf(n), workspace);
}

bool invertInPlace(Matrix& a) {
  if (a.rows() != a.cols()) return false;
  std::vector<float> w;
  Matrix v;
  if (!decompose(a, w, v)) return false;
  const std::size_t n = strideOf(a.rows());
  Matrix result(a.rows(), a.cols());
  kernels::inverseFromDecomposition(a.data(), n, v.data(), n, w.data(), n, result.data(), n);
  a = std::move(result);
  return true;
}

Matrix inverseOf(const Matrix& a) {
  Matrix result(a);
  if (!invertInPlace(result)) throw MatrixInversionError();
  return result;
}

}  // namespace duv::testing
