// The AVX2 set's products of the table's columns, the inverse from a decomposition and the fits'
// coefficients (the rest of the set: vector_kernels_avx2.cpp, whose opening comment holds for
// these too: the same float operations in the same order as the baseline twins).

#include <algorithm>

#include "stats/vector_kernels_avx2_lanes.h"

namespace duv::kernels::avx2 {
namespace {

// A tile of Rows x Vectors vectors of sums over the table's rows [begin, end), the last vector
// through `last`. The sums start from the products of row 0 when begin is 0, else from what
// `out` holds.
template <std::size_t Rows, std::size_t Vectors, typename Lanes>
DUV_AVX2_TARGET inline void productTile(const float* table, std::size_t stride, std::size_t begin,
                                        std::size_t end, std::size_t first, std::size_t second,
                                        float* out, std::size_t outStride, Lanes last) {
  __m256 sums[Rows][Vectors];
  std::size_t r = begin;
  if (r == 0) {
    for (std::size_t a = 0; a < Rows; ++a) {
      const __m256 x = broadcast(table + first + a);
      for (std::size_t v = 0; v < Vectors; ++v) {
        sums[a][v] = multiply(x, loadVector(table + second + v * kWidth, v, Vectors, last));
      }
    }
    ++r;
  } else {
    for (std::size_t a = 0; a < Rows; ++a) {
      for (std::size_t v = 0; v < Vectors; ++v) {
        sums[a][v] = loadVector(out + a * outStride + v * kWidth, v, Vectors, last);
      }
    }
  }
  for (; r < end; ++r) {
    const float* row = table + r * stride;
    __m256 ys[Vectors];
    for (std::size_t v = 0; v < Vectors; ++v) {
      ys[v] = loadVector(row + second + v * kWidth, v, Vectors, last);
    }
    for (std::size_t a = 0; a < Rows; ++a) {
      const __m256 x = broadcast(row + first + a);
      for (std::size_t v = 0; v < Vectors; ++v) sums[a][v] = add(sums[a][v], multiply(x, ys[v]));
    }
  }
  for (std::size_t a = 0; a < Rows; ++a) {
    for (std::size_t v = 0; v < Vectors; ++v) {
      storeVector(out + a * outStride + v * kWidth, v, Vectors, last, sums[a][v]);
    }
  }
}

// Rows [first, first + Rows) of the sums over the table's rows [begin, end).
template <std::size_t Rows>
DUV_AVX2_TARGET inline void productRows(const float* table, std::size_t stride, std::size_t begin,
                                        std::size_t end, std::size_t first, std::size_t second,
                                        std::size_t secondCount, float* out,
                                        std::size_t outStride) {
  std::size_t b = 0;
  for (; b + 2 * kWidth <= secondCount; b += 2 * kWidth) {
    productTile<Rows, 2>(table, stride, begin, end, first, second + b, out + b, outStride, Whole{});
  }
  for (; b + kWidth <= secondCount; b += kWidth) {
    productTile<Rows, 1>(table, stride, begin, end, first, second + b, out + b, outStride, Whole{});
  }
  if (b < secondCount) {
    productTile<Rows, 1>(table, stride, begin, end, first, second + b, out + b, outStride,
                         Part(secondCount - b));
  }
}

}  // namespace

DUV_AVX2_TARGET void productSums(const float* table, std::size_t stride, std::size_t n,
                                 std::size_t first, std::size_t firstCount, std::size_t second,
                                 std::size_t secondCount, float* out, std::size_t outStride) {
  if (n == 0) {
    baseline::productSums(table, stride, n, first, firstCount, second, secondCount, out, outStride);
    return;
  }
  for (std::size_t begin = 0; begin < n; begin += kProductRowBlock) {
    const std::size_t end = std::min(n, begin + kProductRowBlock);
    std::size_t a = 0;
    for (; a + 4 <= firstCount; a += 4) {
      productRows<4>(table, stride, begin, end, first + a, second, secondCount, out + a * outStride,
                     outStride);
    }
    for (; a < firstCount; ++a) {
      productRows<1>(table, stride, begin, end, first + a, second, secondCount, out + a * outStride,
                     outStride);
    }
  }
}

namespace {

// Rows [i, i + Vectors * 8) of the inverse's column j, the last vector through `last`.
template <std::size_t Vectors, typename Lanes>
DUV_AVX2_TARGET inline void inverseTile(const float* u, std::size_t uStride, const float* v,
                                        std::size_t vStride, const float* w, std::size_t n,
                                        std::size_t j, std::size_t i, float* column, Lanes last) {
  __m256 sums[Vectors];
  for (std::size_t q = 0; q < Vectors; ++q) sums[q] = _mm256_setzero_ps();
  for (std::size_t k = 0; k < n; ++k) {
    if (w[k] == 0.0F) continue;
    const __m256 factor = broadcast(u + j + k * uStride);
    const __m256 divisor = broadcast(w + k);
    const float* vk = v + k * vStride + i;
    for (std::size_t q = 0; q < Vectors; ++q) {
      const __m256 vq = loadVector(vk + q * kWidth, q, Vectors, last);
      sums[q] = add(sums[q], _mm256_div_ps(multiply(factor, vq), divisor));
    }
  }
  for (std::size_t q = 0; q + 1 < Vectors; ++q) _mm256_storeu_ps(column + i + q * kWidth, sums[q]);
  last.store(column + i + (Vectors - 1) * kWidth, sums[Vectors - 1]);
}

}  // namespace

DUV_AVX2_TARGET void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                                              std::size_t vStride, const float* w, std::size_t n,
                                              float* out, std::size_t outStride) {
  for (std::size_t j = 0; j < n; ++j) {
    float* column = out + j * outStride;
    std::size_t i = 0;
    for (; i + 4 * kWidth <= n; i += 4 * kWidth) {
      inverseTile<4>(u, uStride, v, vStride, w, n, j, i, column, Whole{});
    }
    for (; i + kWidth <= n; i += kWidth) {
      inverseTile<1>(u, uStride, v, vStride, w, n, j, i, column, Whole{});
    }
    if (i < n) inverseTile<1>(u, uStride, v, vStride, w, n, j, i, column, Part(n - i));
  }
}

namespace {

// b for the rows [begin, begin + 16) and the points [c, c + 4): the tile nearly all the work
// runs in, with its sums in named registers (the compiler keeps an array of them in memory).
DUV_AVX2_TARGET inline void fitCoefficientTile4x16(const float* a, std::size_t aStride,
                                                   std::size_t p, const float* table,
                                                   std::size_t tableStride,
                                                   const std::int32_t* columns, std::size_t c,
                                                   const float* y, float* b, std::size_t begin) {
  const float* const point0 = table + c * tableStride;
  const float* const point1 = point0 + tableStride;
  const float* const point2 = point1 + tableStride;
  const float* const point3 = point2 + tableStride;
  auto column = static_cast<std::size_t>(columns[0]);
  const float* aj = a + begin;
  __m256 a0 = _mm256_loadu_ps(aj);
  __m256 a1 = _mm256_loadu_ps(aj + kWidth);
  __m256 x = broadcast(point0 + column);
  __m256 t00 = multiply(a0, x);
  __m256 t01 = multiply(a1, x);
  x = broadcast(point1 + column);
  __m256 t10 = multiply(a0, x);
  __m256 t11 = multiply(a1, x);
  x = broadcast(point2 + column);
  __m256 t20 = multiply(a0, x);
  __m256 t21 = multiply(a1, x);
  x = broadcast(point3 + column);
  __m256 t30 = multiply(a0, x);
  __m256 t31 = multiply(a1, x);
  for (std::size_t j = 1; j < p; ++j) {
    column = static_cast<std::size_t>(columns[j]);
    aj = a + j * aStride + begin;
    a0 = _mm256_loadu_ps(aj);
    a1 = _mm256_loadu_ps(aj + kWidth);
    x = broadcast(point0 + column);
    t00 = add(t00, multiply(a0, x));
    t01 = add(t01, multiply(a1, x));
    x = broadcast(point1 + column);
    t10 = add(t10, multiply(a0, x));
    t11 = add(t11, multiply(a1, x));
    x = broadcast(point2 + column);
    t20 = add(t20, multiply(a0, x));
    t21 = add(t21, multiply(a1, x));
    x = broadcast(point3 + column);
    t30 = add(t30, multiply(a0, x));
    t31 = add(t31, multiply(a1, x));
  }
  const __m256 y0 = broadcast(y + c);
  const __m256 y1 = broadcast(y + c + 1);
  const __m256 y2 = broadcast(y + c + 2);
  const __m256 y3 = broadcast(y + c + 3);
  float* b0 = b + begin;
  float* b1 = b0 + kWidth;
  __m256 sum0 = multiply(t00, y0);
  __m256 sum1 = multiply(t01, y0);
  if (c != 0) {
    sum0 = add(_mm256_loadu_ps(b0), sum0);
    sum1 = add(_mm256_loadu_ps(b1), sum1);
  }
  sum0 = add(sum0, multiply(t10, y1));
  sum1 = add(sum1, multiply(t11, y1));
  sum0 = add(sum0, multiply(t20, y2));
  sum1 = add(sum1, multiply(t21, y2));
  sum0 = add(sum0, multiply(t30, y3));
  sum1 = add(sum1, multiply(t31, y3));
  _mm256_storeu_ps(b0, sum0);
  _mm256_storeu_ps(b1, sum1);
}

// b for one vector of rows from `begin` (through `lanes`) and the points [c, c + Points).
template <std::size_t Points, typename Lanes>
DUV_AVX2_TARGET inline void fitCoefficientVector(const float* a, std::size_t aStride, std::size_t p,
                                                 const float* table, std::size_t tableStride,
                                                 const std::int32_t* columns, std::size_t c,
                                                 const float* y, float* b, std::size_t begin,
                                                 Lanes lanes) {
  __m256 t[Points];
  const float* const points = table + c * tableStride;
  {
    const float* column = points + static_cast<std::size_t>(columns[0]);
    const __m256 a0 = lanes.load(a + begin);
    for (std::size_t q = 0; q < Points; ++q) {
      t[q] = multiply(a0, broadcast(column + q * tableStride));
    }
  }
  for (std::size_t j = 1; j < p; ++j) {
    const float* column = points + static_cast<std::size_t>(columns[j]);
    const __m256 aj = lanes.load(a + j * aStride + begin);
    for (std::size_t q = 0; q < Points; ++q) {
      t[q] = add(t[q], multiply(aj, broadcast(column + q * tableStride)));
    }
  }
  __m256 sum = c == 0 ? _mm256_setzero_ps() : lanes.load(b + begin);
  for (std::size_t q = 0; q < Points; ++q) {
    const __m256 term = multiply(t[q], broadcast(y + c + q));
    sum = c + q == 0 ? term : add(sum, term);
  }
  lanes.store(b + begin, sum);
}

// b for one vector of rows from `begin` (through `lanes`), every point in order.
template <typename Lanes>
DUV_AVX2_TARGET inline void fitCoefficientRows(const float* a, std::size_t aStride, std::size_t p,
                                               const float* table, std::size_t tableStride,
                                               const std::int32_t* columns, std::size_t n,
                                               const float* y, float* b, std::size_t begin,
                                               Lanes lanes) {
  std::size_t c = 0;
  for (; c + 4 <= n; c += 4) {
    fitCoefficientVector<4>(a, aStride, p, table, tableStride, columns, c, y, b, begin, lanes);
  }
  for (; c < n; ++c) {
    fitCoefficientVector<1>(a, aStride, p, table, tableStride, columns, c, y, b, begin, lanes);
  }
}

}  // namespace

// Rows outermost: the rows of A a tile reads, over all its columns, then stay in the first-level
// cache while the points go by; each b[r] still takes the points in order.
DUV_AVX2_TARGET void fitCoefficients(const float* a, std::size_t aStride, std::size_t p,
                                     const float* table, std::size_t tableStride,
                                     const std::int32_t* columns, std::size_t n, const float* y,
                                     float* b, float* /*scratch*/) {
  std::size_t r = 0;
  for (; r + 2 * kWidth <= p; r += 2 * kWidth) {
    std::size_t c = 0;
    for (; c + 4 <= n; c += 4) {
      fitCoefficientTile4x16(a, aStride, p, table, tableStride, columns, c, y, b, r);
    }
    for (; c < n; ++c) {
      fitCoefficientVector<1>(a, aStride, p, table, tableStride, columns, c, y, b, r, Whole{});
      fitCoefficientVector<1>(a, aStride, p, table, tableStride, columns, c, y, b, r + kWidth,
                              Whole{});
    }
  }
  for (; r + kWidth <= p; r += kWidth) {
    fitCoefficientRows(a, aStride, p, table, tableStride, columns, n, y, b, r, Whole{});
  }
  if (r < p) {
    fitCoefficientRows(a, aStride, p, table, tableStride, columns, n, y, b, r, Part(p - r));
  }
}

}  // namespace duv::kernels::avx2
