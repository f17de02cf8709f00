#include "stats/kernel_sets.h"

// The AVX2 set, eight outputs per instruction. CMake builds this file for x86-64 targets whose
// compiler can build AVX2 code (vector_kernels_avx2_absent.cpp in its place elsewhere). The
// project is built for the baseline instruction set, and these kernels are compiled for AVX2
// through function attributes only (never fused multiply-add), so the program runs on every
// x86-64 processor: the set is offered only where the processor has AVX2.
//
// Each AVX2 kernel computes every output with the same float operations in the same order as
// its baseline twin; they differ only in how many outputs one instruction handles, and in how
// the work is tiled for the caches. Tails that do not fill a vector run through masked loads
// and stores (the lanes outside the mask are computed on zeros and never stored).
// _mm256_mul_ps, _mm256_add_ps, _mm256_sub_ps and _mm256_div_ps are the IEEE single-precision
// operations lane by lane, as the scalar ones are.

#include <immintrin.h>

#include <algorithm>

// MSVC compiles the intrinsics in any function and asks the processor through its own
// intrinsics; GCC and Clang compile a function for AVX2 when its attribute says so.
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define DUV_AVX2_TARGET
#else
#define DUV_AVX2_TARGET __attribute__((target("avx2")))
#endif

namespace duv::kernels {
namespace {

namespace avx2 {

constexpr std::size_t kWidth = 8;

// Loads and stores of whole vectors, and of the first `count` lanes of a vector (the others
// read as 0 and are not written), so that tails run the same instructions as the rest.
struct Whole {
  DUV_AVX2_TARGET __m256 load(const float* p) const { return _mm256_loadu_ps(p); }
  DUV_AVX2_TARGET void store(float* p, __m256 value) const { _mm256_storeu_ps(p, value); }
};

struct Part {
  DUV_AVX2_TARGET explicit Part(std::size_t count)
      : mask(_mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(count)),
                                _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7))) {}
  DUV_AVX2_TARGET __m256 load(const float* p) const { return _mm256_maskload_ps(p, mask); }
  DUV_AVX2_TARGET void store(float* p, __m256 value) const { _mm256_maskstore_ps(p, mask, value); }
  __m256i mask;
};

DUV_AVX2_TARGET inline __m256 multiply(__m256 a, __m256 b) { return _mm256_mul_ps(a, b); }
DUV_AVX2_TARGET inline __m256 add(__m256 a, __m256 b) { return _mm256_add_ps(a, b); }
DUV_AVX2_TARGET inline __m256 broadcast(const float* p) { return _mm256_broadcast_ss(p); }

// Vector v of a row of `vectors` vectors whose last one goes through `last`.
template <typename Lanes>
DUV_AVX2_TARGET inline __m256 loadVector(const float* p, std::size_t v, std::size_t vectors,
                                         Lanes last) {
  return v + 1 == vectors ? last.load(p) : _mm256_loadu_ps(p);
}

template <typename Lanes>
DUV_AVX2_TARGET inline void storeVector(float* p, std::size_t v, std::size_t vectors, Lanes last,
                                        __m256 value) {
  if (v + 1 == vectors) {
    last.store(p, value);
  } else {
    _mm256_storeu_ps(p, value);
  }
}

// sums[j ..] for one vector of j.
template <typename Lanes>
DUV_AVX2_TARGET inline void accumulateVector(float* sums, const float* coefficients,
                                             const float* rows, std::size_t stride,
                                             std::size_t rowCount, Lanes lanes) {
  __m256 sum = lanes.load(sums);
  for (std::size_t k = 0; k < rowCount; ++k, rows += stride) {
    sum = add(sum, multiply(broadcast(coefficients + k), lanes.load(rows)));
  }
  lanes.store(sums, sum);
}

DUV_AVX2_TARGET void accumulateRows(float* sums, const float* coefficients, const float* rows,
                                    std::size_t stride, std::size_t rowCount, std::size_t length) {
  std::size_t j = 0;
  for (; j + 4 * kWidth <= length; j += 4 * kWidth) {
    __m256 s0 = _mm256_loadu_ps(sums + j);
    __m256 s1 = _mm256_loadu_ps(sums + j + kWidth);
    __m256 s2 = _mm256_loadu_ps(sums + j + 2 * kWidth);
    __m256 s3 = _mm256_loadu_ps(sums + j + 3 * kWidth);
    const float* row = rows + j;
    for (std::size_t k = 0; k < rowCount; ++k, row += stride) {
      const __m256 c = broadcast(coefficients + k);
      s0 = add(s0, multiply(c, _mm256_loadu_ps(row)));
      s1 = add(s1, multiply(c, _mm256_loadu_ps(row + kWidth)));
      s2 = add(s2, multiply(c, _mm256_loadu_ps(row + 2 * kWidth)));
      s3 = add(s3, multiply(c, _mm256_loadu_ps(row + 3 * kWidth)));
    }
    _mm256_storeu_ps(sums + j, s0);
    _mm256_storeu_ps(sums + j + kWidth, s1);
    _mm256_storeu_ps(sums + j + 2 * kWidth, s2);
    _mm256_storeu_ps(sums + j + 3 * kWidth, s3);
  }
  for (; j + kWidth <= length; j += kWidth) {
    accumulateVector(sums + j, coefficients, rows + j, stride, rowCount, Whole{});
  }
  if (j < length) {
    accumulateVector(sums + j, coefficients, rows + j, stride, rowCount, Part(length - j));
  }
}

DUV_AVX2_TARGET void addOuterProduct(float* rows, std::size_t stride, std::size_t rowCount,
                                     std::size_t length, const float* coefficients,
                                     const float* values) {
  const std::size_t whole = length / kWidth * kWidth;
  const Part tail(length - whole);
  for (std::size_t k = 0; k < rowCount; ++k) {
    const __m256 c = broadcast(coefficients + k);
    float* row = rows + k * stride;
    for (std::size_t j = 0; j < whole; j += kWidth) {
      _mm256_storeu_ps(row + j,
                       add(_mm256_loadu_ps(row + j), multiply(c, _mm256_loadu_ps(values + j))));
    }
    if (whole < length) {
      tail.store(row + whole, add(tail.load(row + whole), multiply(c, tail.load(values + whole))));
    }
  }
}

// Rows `Count` at a time: each vector of their columns is changed and then added to the sums,
// which stay in a register for the group's rows (in row order) and go through memory once per
// group.
template <std::size_t Count, typename Lanes>
DUV_AVX2_TARGET inline void changeThenAccumulateVector(float* row, std::size_t stride,
                                                       const float* coefficients,
                                                       const float* values,
                                                       const float* nextCoefficients, float* sums,
                                                       Lanes lanes) {
  __m256 sum = lanes.load(sums);
  const __m256 value = lanes.load(values);
  for (std::size_t k = 0; k < Count; ++k, row += stride) {
    const __m256 changed = add(lanes.load(row), multiply(broadcast(coefficients + k), value));
    lanes.store(row, changed);
    sum = add(sum, multiply(broadcast(nextCoefficients + k), changed));
  }
  lanes.store(sums, sum);
}

template <std::size_t Count>
DUV_AVX2_TARGET inline void changeThenAccumulateRows(float* rows, std::size_t stride,
                                                     std::size_t length, std::size_t first,
                                                     const float* coefficients, const float* values,
                                                     const float* nextCoefficients, float* sums) {
  for (std::size_t k = 0; k < Count; ++k) {
    const float* row = rows + k * stride;
    for (std::size_t j = 0; j < first; ++j) sums[j] += nextCoefficients[k] * row[j];
  }
  std::size_t j = first;
  for (; j + kWidth <= length; j += kWidth) {
    changeThenAccumulateVector<Count>(rows + j, stride, coefficients, values + (j - first),
                                      nextCoefficients, sums + j, Whole{});
  }
  if (j < length) {
    changeThenAccumulateVector<Count>(rows + j, stride, coefficients, values + (j - first),
                                      nextCoefficients, sums + j, Part(length - j));
  }
}

DUV_AVX2_TARGET void addOuterProductThenAccumulate(float* rows, std::size_t stride,
                                                   std::size_t rowCount, std::size_t length,
                                                   std::size_t skip, const float* coefficients,
                                                   const float* values,
                                                   const float* nextCoefficients, float* sums) {
  const std::size_t first = std::min(skip, length);
  std::size_t k = 0;
  for (; k + 4 <= rowCount; k += 4) {
    changeThenAccumulateRows<4>(rows + k * stride, stride, length, first, coefficients + k, values,
                                nextCoefficients + k, sums);
  }
  for (; k < rowCount; ++k) {
    changeThenAccumulateRows<1>(rows + k * stride, stride, length, first, coefficients + k, values,
                                nextCoefficients + k, sums);
  }
}

// `Count` rows at a time, one vector of columns at a time: the values' vectors are loaded once
// for the group, each row's vector is changed, stored and added to the sums, which stay in a
// register for the group (in row order).
template <std::size_t Count, bool First, bool Second, bool Next, typename Lanes>
DUV_AVX2_TARGET inline void changeRowsVector(float* row, std::size_t stride, const float* first,
                                             const float* firstValues, const float* second,
                                             const float* secondValues, const float* next,
                                             float* sums, Lanes lanes) {
  __m256 firstValue = _mm256_setzero_ps();
  __m256 secondValue = _mm256_setzero_ps();
  __m256 sum = _mm256_setzero_ps();
  if constexpr (First) firstValue = lanes.load(firstValues);
  if constexpr (Second) secondValue = lanes.load(secondValues);
  if constexpr (Next) sum = lanes.load(sums);
  for (std::size_t k = 0; k < Count; ++k, row += stride) {
    __m256 value = lanes.load(row);
    if constexpr (First) value = add(value, multiply(broadcast(first + k), firstValue));
    if constexpr (Second) value = add(value, multiply(broadcast(second + k), secondValue));
    if constexpr (First || Second) lanes.store(row, value);
    if constexpr (Next) sum = add(sum, multiply(broadcast(next + k), value));
  }
  if constexpr (Next) lanes.store(sums, sum);
}

template <std::size_t Count, bool First, bool Second, bool Next>
DUV_AVX2_TARGET inline void changeRows(float* rows, std::size_t stride, std::size_t length,
                                       const float* first, const float* firstValues,
                                       const float* second, const float* secondValues,
                                       const float* next, float* sums) {
  // Operands a step does not use are null; no offset is taken from them.
  const auto at = [](auto* pointer, std::size_t offset) {
    return pointer == nullptr ? pointer : pointer + offset;
  };
  std::size_t j = 0;
  for (; j + kWidth <= length; j += kWidth) {
    changeRowsVector<Count, First, Second, Next>(rows + j, stride, first, at(firstValues, j),
                                                 second, at(secondValues, j), next, at(sums, j),
                                                 Whole{});
  }
  if (j < length) {
    changeRowsVector<Count, First, Second, Next>(rows + j, stride, first, at(firstValues, j),
                                                 second, at(secondValues, j), next, at(sums, j),
                                                 Part(length - j));
  }
}

template <bool First, bool Second, bool Next>
DUV_AVX2_TARGET void changeAllRows(float* rows, std::size_t stride, std::size_t rowCount,
                                   std::size_t length, const float* first, const float* firstValues,
                                   const float* second, const float* secondValues,
                                   const float* next, float* sums) {
  std::size_t k = 0;
  for (; k + 4 <= rowCount; k += 4) {
    changeRows<4, First, Second, Next>(rows + k * stride, stride, length, First ? first + k : first,
                                       firstValues, Second ? second + k : second, secondValues,
                                       Next ? next + k : next, sums);
  }
  for (; k < rowCount; ++k) {
    changeRows<1, First, Second, Next>(rows + k * stride, stride, length, First ? first + k : first,
                                       firstValues, Second ? second + k : second, secondValues,
                                       Next ? next + k : next, sums);
  }
}

DUV_AVX2_TARGET void addOuterProductsThenAccumulate(float* rows, std::size_t stride,
                                                    std::size_t rowCount, std::size_t length,
                                                    const float* first, const float* firstValues,
                                                    const float* second, const float* secondValues,
                                                    const float* next, float* sums) {
  const int parts =
      (first != nullptr ? 4 : 0) + (second != nullptr ? 2 : 0) + (next != nullptr ? 1 : 0);
  switch (parts) {
    case 1:
      changeAllRows<false, false, true>(rows, stride, rowCount, length, first, firstValues, second,
                                        secondValues, next, sums);
      return;
    case 2:
      changeAllRows<false, true, false>(rows, stride, rowCount, length, first, firstValues, second,
                                        secondValues, next, sums);
      return;
    case 3:
      changeAllRows<false, true, true>(rows, stride, rowCount, length, first, firstValues, second,
                                       secondValues, next, sums);
      return;
    case 4:
      changeAllRows<true, false, false>(rows, stride, rowCount, length, first, firstValues, second,
                                        secondValues, next, sums);
      return;
    case 5:
      changeAllRows<true, false, true>(rows, stride, rowCount, length, first, firstValues, second,
                                       secondValues, next, sums);
      return;
    case 6:
      changeAllRows<true, true, false>(rows, stride, rowCount, length, first, firstValues, second,
                                       secondValues, next, sums);
      return;
    case 7:
      changeAllRows<true, true, true>(rows, stride, rowCount, length, first, firstValues, second,
                                      secondValues, next, sums);
      return;
    default:
      return;
  }
}

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

// Rows [begin, begin + Vectors * 8) of x through every step, the last vector through `last`.
// Consecutive rotations that share a column (a sweep's (j, j+1), (j+1, j+2), ... or a
// cancellation's (l-1, j), (l-1, j+1), ...) pass that column on in registers instead of
// through memory; every element still goes through the same operations in the same order.
template <std::size_t Vectors, typename Lanes>
DUV_AVX2_TARGET inline void rotateBlock(float* x, std::size_t stride, std::size_t begin,
                                        const ColumnRotation* steps, std::size_t count,
                                        Lanes last) {
  const auto column = [x, stride, begin](std::int32_t c) {
    return x + static_cast<std::size_t>(c) * stride + begin;
  };
  const __m256 signBit = _mm256_set1_ps(-0.0F);
  std::size_t t = 0;
  while (t < count) {
    if (steps[t].second == ColumnRotation::kNegate) {
      float* p = column(steps[t].first);
      for (std::size_t v = 0; v < Vectors; ++v) {
        const __m256 pv = loadVector(p + v * kWidth, v, Vectors, last);
        storeVector(p + v * kWidth, v, Vectors, last, _mm256_xor_ps(pv, signBit));
      }
      ++t;
      continue;
    }
    // The carried column: its index and its rows.
    std::int32_t carried = steps[t].first;
    __m256 carry[Vectors];
    for (std::size_t v = 0; v < Vectors; ++v) {
      carry[v] = loadVector(column(carried) + v * kWidth, v, Vectors, last);
    }
    for (;;) {
      const ColumnRotation& step = steps[t];
      const bool carryFirst = step.first == carried;
      float* other = column(carryFirst ? step.second : step.first);
      const __m256 c = broadcast(&step.c);
      const __m256 s = broadcast(&step.s);
      __m256 rotated[Vectors];
      for (std::size_t v = 0; v < Vectors; ++v) {
        const __m256 loaded = loadVector(other + v * kWidth, v, Vectors, last);
        const __m256 p = carryFirst ? carry[v] : loaded;
        const __m256 q = carryFirst ? loaded : carry[v];
        const __m256 newP = add(multiply(p, c), multiply(q, s));
        const __m256 newQ = _mm256_sub_ps(multiply(q, c), multiply(p, s));
        carry[v] = carryFirst ? newP : newQ;
        rotated[v] = carryFirst ? newQ : newP;
      }
      ++t;
      // Pass on the column the next rotation shares, if any, and store the other.
      const bool next = t < count && steps[t].second != ColumnRotation::kNegate;
      const std::int32_t otherIndex = carryFirst ? step.second : step.first;
      if (next && steps[t].first == otherIndex) {
        float* stored = column(carried);
        for (std::size_t v = 0; v < Vectors; ++v) {
          storeVector(stored + v * kWidth, v, Vectors, last, carry[v]);
          carry[v] = rotated[v];
        }
        carried = otherIndex;
        continue;
      }
      for (std::size_t v = 0; v < Vectors; ++v) {
        storeVector(other + v * kWidth, v, Vectors, last, rotated[v]);
      }
      if (next && steps[t].first == carried) continue;
      float* stored = column(carried);
      for (std::size_t v = 0; v < Vectors; ++v) {
        storeVector(stored + v * kWidth, v, Vectors, last, carry[v]);
      }
      break;
    }
  }
}

DUV_AVX2_TARGET void applyRotations(float* x, std::size_t stride, std::size_t rows,
                                    const ColumnRotation* steps, std::size_t count) {
  std::size_t begin = 0;
  for (; begin + kRotationBlock <= rows; begin += kRotationBlock) {
    rotateBlock<kRotationBlock / kWidth>(x, stride, begin, steps, count, Whole{});
  }
  for (; begin + kWidth <= rows; begin += kWidth) {
    rotateBlock<1>(x, stride, begin, steps, count, Whole{});
  }
  if (begin < rows) rotateBlock<1>(x, stride, begin, steps, count, Part(rows - begin));
}

}  // namespace avx2

constexpr KernelSet kAvx2{InstructionSet::avx2,
                          avx2::accumulateRows,
                          avx2::addOuterProduct,
                          avx2::addOuterProductThenAccumulate,
                          avx2::addOuterProductsThenAccumulate,
                          avx2::productSums,
                          avx2::inverseFromDecomposition,
                          avx2::fitCoefficients,
                          avx2::applyRotations};

bool processorHasAvx2() {
#if defined(_MSC_VER) && !defined(__clang__)
  int registers[4] = {};
  __cpuid(registers, 1);
  const bool osSavesVectors = (registers[2] & (1 << 27)) != 0 && (registers[2] & (1 << 28)) != 0 &&
                              (_xgetbv(0) & 0x6) == 0x6;
  __cpuidex(registers, 7, 0);
  return osSavesVectors && (registers[1] & (1 << 5)) != 0;
#else
  // Also checks that the operating system saves the vector registers.
  return __builtin_cpu_supports("avx2") != 0;
#endif
}

}  // namespace

const KernelSet* avx2Kernels() { return processorHasAvx2() ? &kAvx2 : nullptr; }

}  // namespace duv::kernels
