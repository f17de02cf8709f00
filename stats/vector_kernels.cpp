#include "stats/vector_kernels.h"

// The one place that holds instruction-set-specific code and chooses among it at run time:
// the project is built for the baseline instruction set, and the AVX2 kernels below are
// compiled for AVX2 through function attributes only (never fused multiply-add), so the
// program runs on every x86-64 processor.
//
// Each AVX2 kernel computes every output with the same float operations in the same order as
// its baseline twin; they differ only in how many outputs one instruction handles. Row and
// column tails that do not fill a vector run the baseline loops' scalar code.

#include <algorithm>

#if defined(__x86_64__) || defined(_M_X64)
#define DUV_HAVE_AVX2 1
#include <immintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define DUV_AVX2_TARGET
#else
#define DUV_AVX2_TARGET __attribute__((target("avx2")))
#endif
#else
#define DUV_HAVE_AVX2 0
#endif

namespace duv::kernels {
namespace {

// Rows of a matrix handled together by the rotations: a block of this many rows of a matrix of
// a few hundred columns stays in the first-level cache while every step runs over it.
constexpr std::size_t kRotationBlock = 32;
// Rows of the table summed together by productSums, so that they stay in the second-level
// cache while every pair of column blocks runs over them.
constexpr std::size_t kProductRowBlock = 128;

// ---------------------------------------------------------------------------------------------
// Baseline: plain loops, vectorised by the compiler across their independent outputs.

namespace baseline {

void accumulateRows(float* sums, const float* coefficients, const float* rows, std::size_t stride,
                    std::size_t rowCount, std::size_t length) {
  std::size_t k = 0;
  // Four rows at a time: each sum still takes the four terms one after another.
  for (; k + 4 <= rowCount; k += 4) {
    const float c0 = coefficients[k];
    const float c1 = coefficients[k + 1];
    const float c2 = coefficients[k + 2];
    const float c3 = coefficients[k + 3];
    const float* r0 = rows + k * stride;
    const float* r1 = r0 + stride;
    const float* r2 = r1 + stride;
    const float* r3 = r2 + stride;
    for (std::size_t j = 0; j < length; ++j) {
      float sum = sums[j];
      sum += c0 * r0[j];
      sum += c1 * r1[j];
      sum += c2 * r2[j];
      sum += c3 * r3[j];
      sums[j] = sum;
    }
  }
  for (; k < rowCount; ++k) {
    const float c = coefficients[k];
    const float* row = rows + k * stride;
    for (std::size_t j = 0; j < length; ++j) sums[j] += c * row[j];
  }
}

void addOuterProduct(float* rows, std::size_t stride, std::size_t rowCount, std::size_t length,
                     const float* coefficients, const float* values) {
  for (std::size_t k = 0; k < rowCount; ++k) {
    const float c = coefficients[k];
    float* row = rows + k * stride;
    for (std::size_t j = 0; j < length; ++j) row[j] += c * values[j];
  }
}

// Rows [begin, end) of the sums, onto what rows before `begin` left in `out`.
void productSumRows(const float* table, std::size_t stride, std::size_t begin, std::size_t end,
                    std::size_t first, std::size_t firstCount, std::size_t second,
                    std::size_t secondCount, float* out, std::size_t outStride) {
  for (std::size_t r = begin; r < end; ++r) {
    const float* row = table + r * stride;
    for (std::size_t a = 0; a < firstCount; ++a) {
      const float x = row[first + a];
      float* sums = out + a * outStride;
      const float* y = row + second;
      if (r == 0) {
        for (std::size_t b = 0; b < secondCount; ++b) sums[b] = x * y[b];
      } else {
        for (std::size_t b = 0; b < secondCount; ++b) sums[b] += x * y[b];
      }
    }
  }
}

void productSums(const float* table, std::size_t stride, std::size_t n, std::size_t first,
                 std::size_t firstCount, std::size_t second, std::size_t secondCount, float* out,
                 std::size_t outStride) {
  if (n == 0) {
    for (std::size_t a = 0; a < firstCount; ++a) {
      std::fill_n(out + a * outStride, secondCount, 0.0F);
    }
    return;
  }
  for (std::size_t begin = 0; begin < n; begin += kProductRowBlock) {
    productSumRows(table, stride, begin, std::min(n, begin + kProductRowBlock), first, firstCount,
                   second, secondCount, out, outStride);
  }
}

// Rows [begin, end) of the inverse's column j.
void inverseColumnRows(const float* u, std::size_t uStride, const float* v, std::size_t vStride,
                       const float* w, std::size_t n, std::size_t j, std::size_t begin,
                       std::size_t end, float* column) {
  for (std::size_t i = begin; i < end; ++i) column[i] = 0.0F;
  for (std::size_t k = 0; k < n; ++k) {
    if (w[k] != 0.0F) {
      const float factor = u[j + k * uStride];
      const float divisor = w[k];
      const float* vk = v + k * vStride;
      for (std::size_t i = begin; i < end; ++i) column[i] += (factor * vk[i]) / divisor;
    }
  }
}

void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                              std::size_t vStride, const float* w, std::size_t n, float* out,
                              std::size_t outStride) {
  for (std::size_t j = 0; j < n; ++j) {
    inverseColumnRows(u, uStride, v, vStride, w, n, j, 0, n, out + j * outStride);
  }
}

// Rows [begin, end) of b for the data points [c, c + count), count <= 4, after the points
// before c: t(r, c') for the points at once, then each added to b[r] in point order.
void fitCoefficientRows(const float* a, std::size_t aStride, std::size_t p, const float* regressors,
                        std::size_t regressorStride, const std::int32_t* columns, std::size_t c,
                        std::size_t count, const float* y, float* b, std::size_t begin,
                        std::size_t end, float* scratch) {
  float* t[4] = {scratch, scratch + p, scratch + 2 * p, scratch + 3 * p};
  for (std::size_t j = 0; j < p; ++j) {
    const float* column = regressors + static_cast<std::size_t>(columns[j]) * regressorStride + c;
    const float* aj = a + j * aStride;
    for (std::size_t q = 0; q < count; ++q) {
      const float x = column[q];
      float* tq = t[q];
      if (j == 0) {
        for (std::size_t r = begin; r < end; ++r) tq[r] = aj[r] * x;
      } else {
        for (std::size_t r = begin; r < end; ++r) tq[r] += aj[r] * x;
      }
    }
  }
  for (std::size_t q = 0; q < count; ++q) {
    const float yc = y[c + q];
    const float* tq = t[q];
    if (c + q == 0) {
      for (std::size_t r = begin; r < end; ++r) b[r] = tq[r] * yc;
    } else {
      for (std::size_t r = begin; r < end; ++r) b[r] += tq[r] * yc;
    }
  }
}

void fitCoefficients(const float* a, std::size_t aStride, std::size_t p, const float* regressors,
                     std::size_t regressorStride, const std::int32_t* columns, std::size_t n,
                     const float* y, float* b, float* scratch) {
  for (std::size_t c = 0; c < n; c += 4) {
    fitCoefficientRows(a, aStride, p, regressors, regressorStride, columns, c,
                       std::min<std::size_t>(4, n - c), y, b, 0, p, scratch);
  }
}

// Rows [begin, end) of x through every step.
void rotateRows(float* x, std::size_t stride, std::size_t begin, std::size_t end,
                const ColumnRotation* steps, std::size_t count) {
  for (std::size_t t = 0; t < count; ++t) {
    const ColumnRotation& step = steps[t];
    float* p = x + static_cast<std::size_t>(step.first) * stride;
    if (step.second == ColumnRotation::kNegate) {
      for (std::size_t r = begin; r < end; ++r) p[r] = -p[r];
      continue;
    }
    float* q = x + static_cast<std::size_t>(step.second) * stride;
    const float c = step.c;
    const float s = step.s;
    for (std::size_t r = begin; r < end; ++r) {
      const float pr = p[r];
      const float qr = q[r];
      p[r] = pr * c + qr * s;
      q[r] = qr * c - pr * s;
    }
  }
}

void applyRotations(float* x, std::size_t stride, std::size_t rows, const ColumnRotation* steps,
                    std::size_t count) {
  for (std::size_t begin = 0; begin < rows; begin += kRotationBlock) {
    rotateRows(x, stride, begin, std::min(rows, begin + kRotationBlock), steps, count);
  }
}

}  // namespace baseline

// ---------------------------------------------------------------------------------------------
// AVX2: eight outputs per instruction. _mm256_mul_ps, _mm256_add_ps, _mm256_sub_ps and
// _mm256_div_ps are the IEEE single-precision operations lane by lane, as the scalar ones are.

#if DUV_HAVE_AVX2
namespace avx2 {

constexpr std::size_t kWidth = 8;

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
      const __m256 c = _mm256_broadcast_ss(coefficients + k);
      s0 = _mm256_add_ps(s0, _mm256_mul_ps(c, _mm256_loadu_ps(row)));
      s1 = _mm256_add_ps(s1, _mm256_mul_ps(c, _mm256_loadu_ps(row + kWidth)));
      s2 = _mm256_add_ps(s2, _mm256_mul_ps(c, _mm256_loadu_ps(row + 2 * kWidth)));
      s3 = _mm256_add_ps(s3, _mm256_mul_ps(c, _mm256_loadu_ps(row + 3 * kWidth)));
    }
    _mm256_storeu_ps(sums + j, s0);
    _mm256_storeu_ps(sums + j + kWidth, s1);
    _mm256_storeu_ps(sums + j + 2 * kWidth, s2);
    _mm256_storeu_ps(sums + j + 3 * kWidth, s3);
  }
  for (; j + kWidth <= length; j += kWidth) {
    __m256 s0 = _mm256_loadu_ps(sums + j);
    const float* row = rows + j;
    for (std::size_t k = 0; k < rowCount; ++k, row += stride) {
      s0 = _mm256_add_ps(
          s0, _mm256_mul_ps(_mm256_broadcast_ss(coefficients + k), _mm256_loadu_ps(row)));
    }
    _mm256_storeu_ps(sums + j, s0);
  }
  if (j < length)
    baseline::accumulateRows(sums + j, coefficients, rows + j, stride, rowCount, length - j);
}

DUV_AVX2_TARGET void addOuterProduct(float* rows, std::size_t stride, std::size_t rowCount,
                                     std::size_t length, const float* coefficients,
                                     const float* values) {
  for (std::size_t k = 0; k < rowCount; ++k) {
    const __m256 c = _mm256_broadcast_ss(coefficients + k);
    float* row = rows + k * stride;
    std::size_t j = 0;
    for (; j + kWidth <= length; j += kWidth) {
      _mm256_storeu_ps(row + j, _mm256_add_ps(_mm256_loadu_ps(row + j),
                                              _mm256_mul_ps(c, _mm256_loadu_ps(values + j))));
    }
    for (; j < length; ++j) row[j] += coefficients[k] * values[j];
  }
}

// A tile of 4 x `Vectors` * 8 sums over rows [begin, end); the tile's sums start from the
// products of row 0 when begin is 0, else from what `out` holds.
template <std::size_t Vectors>
DUV_AVX2_TARGET inline void productTile(const float* table, std::size_t stride, std::size_t begin,
                                        std::size_t end, const float* firsts, const float* seconds,
                                        float* out, std::size_t outStride) {
  __m256 sums[4][Vectors];
  std::size_t r = begin;
  if (r == 0) {
    for (std::size_t a = 0; a < 4; ++a) {
      const __m256 x = _mm256_broadcast_ss(firsts + a);
      for (std::size_t v = 0; v < Vectors; ++v) {
        sums[a][v] = _mm256_mul_ps(x, _mm256_loadu_ps(seconds + v * kWidth));
      }
    }
    ++r;
  } else {
    for (std::size_t a = 0; a < 4; ++a) {
      for (std::size_t v = 0; v < Vectors; ++v) {
        sums[a][v] = _mm256_loadu_ps(out + a * outStride + v * kWidth);
      }
    }
  }
  for (; r < end; ++r) {
    const float* row = table + r * stride;
    const float* x = row + (firsts - table);
    const float* y = row + (seconds - table);
    __m256 ys[Vectors];
    for (std::size_t v = 0; v < Vectors; ++v) ys[v] = _mm256_loadu_ps(y + v * kWidth);
    for (std::size_t a = 0; a < 4; ++a) {
      const __m256 xa = _mm256_broadcast_ss(x + a);
      for (std::size_t v = 0; v < Vectors; ++v) {
        sums[a][v] = _mm256_add_ps(sums[a][v], _mm256_mul_ps(xa, ys[v]));
      }
    }
  }
  for (std::size_t a = 0; a < 4; ++a) {
    for (std::size_t v = 0; v < Vectors; ++v) {
      _mm256_storeu_ps(out + a * outStride + v * kWidth, sums[a][v]);
    }
  }
}

DUV_AVX2_TARGET void productSumRows(const float* table, std::size_t stride, std::size_t begin,
                                    std::size_t end, std::size_t first, std::size_t firstCount,
                                    std::size_t second, std::size_t secondCount, float* out,
                                    std::size_t outStride) {
  std::size_t a = 0;
  for (; a + 4 <= firstCount; a += 4) {
    const float* firsts = table + first + a;
    float* outRow = out + a * outStride;
    std::size_t b = 0;
    for (; b + 2 * kWidth <= secondCount; b += 2 * kWidth) {
      productTile<2>(table, stride, begin, end, firsts, table + second + b, outRow + b, outStride);
    }
    for (; b + kWidth <= secondCount; b += kWidth) {
      productTile<1>(table, stride, begin, end, firsts, table + second + b, outRow + b, outStride);
    }
    if (b < secondCount) {
      baseline::productSumRows(table, stride, begin, end, first + a, 4, second + b, secondCount - b,
                               outRow + b, outStride);
    }
  }
  if (a < firstCount) {
    baseline::productSumRows(table, stride, begin, end, first + a, firstCount - a, second,
                             secondCount, out + a * outStride, outStride);
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
    productSumRows(table, stride, begin, std::min(n, begin + kProductRowBlock), first, firstCount,
                   second, secondCount, out, outStride);
  }
}

DUV_AVX2_TARGET void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                                              std::size_t vStride, const float* w, std::size_t n,
                                              float* out, std::size_t outStride) {
  for (std::size_t j = 0; j < n; ++j) {
    float* column = out + j * outStride;
    std::size_t i = 0;
    for (; i + 4 * kWidth <= n; i += 4 * kWidth) {
      __m256 s0 = _mm256_setzero_ps();
      __m256 s1 = _mm256_setzero_ps();
      __m256 s2 = _mm256_setzero_ps();
      __m256 s3 = _mm256_setzero_ps();
      for (std::size_t k = 0; k < n; ++k) {
        if (w[k] == 0.0F) continue;
        const __m256 factor = _mm256_broadcast_ss(u + j + k * uStride);
        const __m256 divisor = _mm256_broadcast_ss(w + k);
        const float* vk = v + k * vStride + i;
        s0 = _mm256_add_ps(s0, _mm256_div_ps(_mm256_mul_ps(factor, _mm256_loadu_ps(vk)), divisor));
        s1 = _mm256_add_ps(
            s1, _mm256_div_ps(_mm256_mul_ps(factor, _mm256_loadu_ps(vk + kWidth)), divisor));
        s2 = _mm256_add_ps(
            s2, _mm256_div_ps(_mm256_mul_ps(factor, _mm256_loadu_ps(vk + 2 * kWidth)), divisor));
        s3 = _mm256_add_ps(
            s3, _mm256_div_ps(_mm256_mul_ps(factor, _mm256_loadu_ps(vk + 3 * kWidth)), divisor));
      }
      _mm256_storeu_ps(column + i, s0);
      _mm256_storeu_ps(column + i + kWidth, s1);
      _mm256_storeu_ps(column + i + 2 * kWidth, s2);
      _mm256_storeu_ps(column + i + 3 * kWidth, s3);
    }
    for (; i + kWidth <= n; i += kWidth) {
      __m256 s0 = _mm256_setzero_ps();
      for (std::size_t k = 0; k < n; ++k) {
        if (w[k] == 0.0F) continue;
        const __m256 factor = _mm256_broadcast_ss(u + j + k * uStride);
        s0 = _mm256_add_ps(
            s0, _mm256_div_ps(_mm256_mul_ps(factor, _mm256_loadu_ps(v + k * vStride + i)),
                              _mm256_broadcast_ss(w + k)));
      }
      _mm256_storeu_ps(column + i, s0);
    }
    if (i < n) baseline::inverseColumnRows(u, uStride, v, vStride, w, n, j, i, n, column);
  }
}

// b rows [begin, begin + Vectors * 8) for the points [c, c + Points).
template <std::size_t Points, std::size_t Vectors>
DUV_AVX2_TARGET inline void fitCoefficientTile(const float* a, std::size_t aStride, std::size_t p,
                                               const float* regressors, std::size_t regressorStride,
                                               const std::int32_t* columns, std::size_t c,
                                               const float* y, float* b, std::size_t begin) {
  __m256 t[Points][Vectors];
  for (std::size_t j = 0; j < p; ++j) {
    const float* column = regressors + static_cast<std::size_t>(columns[j]) * regressorStride + c;
    const float* aj = a + j * aStride + begin;
    __m256 as[Vectors];
    for (std::size_t v = 0; v < Vectors; ++v) as[v] = _mm256_loadu_ps(aj + v * kWidth);
    for (std::size_t q = 0; q < Points; ++q) {
      const __m256 x = _mm256_broadcast_ss(column + q);
      for (std::size_t v = 0; v < Vectors; ++v) {
        const __m256 product = _mm256_mul_ps(as[v], x);
        t[q][v] = j == 0 ? product : _mm256_add_ps(t[q][v], product);
      }
    }
  }
  for (std::size_t v = 0; v < Vectors; ++v) {
    float* bv = b + begin + v * kWidth;
    __m256 sum = _mm256_loadu_ps(bv);
    for (std::size_t q = 0; q < Points; ++q) {
      const __m256 term = _mm256_mul_ps(t[q][v], _mm256_broadcast_ss(y + c + q));
      sum = c + q == 0 ? term : _mm256_add_ps(sum, term);
    }
    _mm256_storeu_ps(bv, sum);
  }
}

template <std::size_t Points>
DUV_AVX2_TARGET inline void fitCoefficientPoints(const float* a, std::size_t aStride, std::size_t p,
                                                 const float* regressors,
                                                 std::size_t regressorStride,
                                                 const std::int32_t* columns, std::size_t c,
                                                 const float* y, float* b, float* scratch) {
  std::size_t r = 0;
  for (; r + 2 * kWidth <= p; r += 2 * kWidth) {
    fitCoefficientTile<Points, 2>(a, aStride, p, regressors, regressorStride, columns, c, y, b, r);
  }
  for (; r + kWidth <= p; r += kWidth) {
    fitCoefficientTile<Points, 1>(a, aStride, p, regressors, regressorStride, columns, c, y, b, r);
  }
  if (r < p) {
    baseline::fitCoefficientRows(a, aStride, p, regressors, regressorStride, columns, c, Points, y,
                                 b, r, p, scratch);
  }
}

DUV_AVX2_TARGET void fitCoefficients(const float* a, std::size_t aStride, std::size_t p,
                                     const float* regressors, std::size_t regressorStride,
                                     const std::int32_t* columns, std::size_t n, const float* y,
                                     float* b, float* scratch) {
  std::size_t c = 0;
  for (; c + 4 <= n; c += 4) {
    fitCoefficientPoints<4>(a, aStride, p, regressors, regressorStride, columns, c, y, b, scratch);
  }
  for (; c < n; ++c) {
    fitCoefficientPoints<1>(a, aStride, p, regressors, regressorStride, columns, c, y, b, scratch);
  }
}

// Rows [begin, begin + Vectors * 8) of x through every step.
template <std::size_t Vectors>
DUV_AVX2_TARGET inline void rotateBlock(float* x, std::size_t stride, std::size_t begin,
                                        const ColumnRotation* steps, std::size_t count) {
  for (std::size_t t = 0; t < count; ++t) {
    const ColumnRotation& step = steps[t];
    float* p = x + static_cast<std::size_t>(step.first) * stride + begin;
    if (step.second == ColumnRotation::kNegate) {
      const __m256 signBit = _mm256_set1_ps(-0.0F);
      for (std::size_t v = 0; v < Vectors; ++v) {
        _mm256_storeu_ps(p + v * kWidth, _mm256_xor_ps(_mm256_loadu_ps(p + v * kWidth), signBit));
      }
      continue;
    }
    float* q = x + static_cast<std::size_t>(step.second) * stride + begin;
    const __m256 c = _mm256_broadcast_ss(&step.c);
    const __m256 s = _mm256_broadcast_ss(&step.s);
    for (std::size_t v = 0; v < Vectors; ++v) {
      const __m256 pv = _mm256_loadu_ps(p + v * kWidth);
      const __m256 qv = _mm256_loadu_ps(q + v * kWidth);
      _mm256_storeu_ps(p + v * kWidth, _mm256_add_ps(_mm256_mul_ps(pv, c), _mm256_mul_ps(qv, s)));
      _mm256_storeu_ps(q + v * kWidth, _mm256_sub_ps(_mm256_mul_ps(qv, c), _mm256_mul_ps(pv, s)));
    }
  }
}

DUV_AVX2_TARGET void applyRotations(float* x, std::size_t stride, std::size_t rows,
                                    const ColumnRotation* steps, std::size_t count) {
  std::size_t begin = 0;
  for (; begin + kRotationBlock <= rows; begin += kRotationBlock) {
    rotateBlock<kRotationBlock / kWidth>(x, stride, begin, steps, count);
  }
  for (; begin + kWidth <= rows; begin += kWidth) rotateBlock<1>(x, stride, begin, steps, count);
  if (begin < rows) baseline::rotateRows(x, stride, begin, rows, steps, count);
}

}  // namespace avx2
#endif

// ---------------------------------------------------------------------------------------------
// Dispatch

struct KernelSet {
  InstructionSet set;
  decltype(&baseline::accumulateRows) accumulateRows;
  decltype(&baseline::addOuterProduct) addOuterProduct;
  decltype(&baseline::productSums) productSums;
  decltype(&baseline::inverseFromDecomposition) inverseFromDecomposition;
  decltype(&baseline::fitCoefficients) fitCoefficients;
  decltype(&baseline::applyRotations) applyRotations;
};

constexpr KernelSet kBaseline{
    InstructionSet::baseline, baseline::accumulateRows,           baseline::addOuterProduct,
    baseline::productSums,    baseline::inverseFromDecomposition, baseline::fitCoefficients,
    baseline::applyRotations};

#if DUV_HAVE_AVX2
constexpr KernelSet kAvx2{
    InstructionSet::avx2,           avx2::accumulateRows,  avx2::addOuterProduct, avx2::productSums,
    avx2::inverseFromDecomposition, avx2::fitCoefficients, avx2::applyRotations};

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
#endif

const KernelSet*& activeKernels() {
#if DUV_HAVE_AVX2
  static const KernelSet* kernels = processorHasAvx2() ? &kAvx2 : &kBaseline;
#else
  static const KernelSet* kernels = &kBaseline;
#endif
  return kernels;
}

}  // namespace

InstructionSet activeInstructionSet() { return activeKernels()->set; }

bool useInstructionSet(InstructionSet set) {
  switch (set) {
    case InstructionSet::baseline:
      activeKernels() = &kBaseline;
      return true;
    case InstructionSet::avx2:
#if DUV_HAVE_AVX2
      if (!processorHasAvx2()) return false;
      activeKernels() = &kAvx2;
      return true;
#else
      return false;
#endif
  }
  return false;
}

void accumulateRows(float* sums, const float* coefficients, const float* rows, std::size_t stride,
                    std::size_t rowCount, std::size_t length) {
  activeKernels()->accumulateRows(sums, coefficients, rows, stride, rowCount, length);
}

void addOuterProduct(float* rows, std::size_t stride, std::size_t rowCount, std::size_t length,
                     const float* coefficients, const float* values) {
  activeKernels()->addOuterProduct(rows, stride, rowCount, length, coefficients, values);
}

void productSums(const float* table, std::size_t stride, std::size_t n, std::size_t first,
                 std::size_t firstCount, std::size_t second, std::size_t secondCount, float* out,
                 std::size_t outStride) {
  activeKernels()->productSums(table, stride, n, first, firstCount, second, secondCount, out,
                               outStride);
}

void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                              std::size_t vStride, const float* w, std::size_t n, float* out,
                              std::size_t outStride) {
  activeKernels()->inverseFromDecomposition(u, uStride, v, vStride, w, n, out, outStride);
}

void fitCoefficients(const float* a, std::size_t aStride, std::size_t p, const float* regressors,
                     std::size_t regressorStride, const std::int32_t* columns, std::size_t n,
                     const float* y, float* b, float* scratch) {
  activeKernels()->fitCoefficients(a, aStride, p, regressors, regressorStride, columns, n, y, b,
                                   scratch);
}

void applyRotations(float* x, std::size_t stride, std::size_t rows, const ColumnRotation* steps,
                    std::size_t count) {
  activeKernels()->applyRotations(x, stride, rows, steps, count);
}

}  // namespace duv::kernels
