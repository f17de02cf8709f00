#include "stats/kernel_sets.h"

// The AVX2 set, eight outputs per instruction: its row kernels, rotations and table here, its
// products, inverse and fits in vector_kernels_avx2_products.cpp. CMake builds both files for
// x86-64 targets whose compiler can build AVX2 code (vector_kernels_avx2_absent.cpp in their
// place elsewhere). The project is built for the baseline instruction set, and these kernels
// are compiled for AVX2 through function attributes only (never fused multiply-add), so the
// program runs on every x86-64 processor: the set is offered only where the processor has AVX2.
//
// Each AVX2 kernel computes every output with the same float operations in the same order as
// its baseline twin; they differ only in how many outputs one instruction handles, and in how
// the work is tiled for the caches. Tails that do not fill a vector run through masked loads
// and stores (the lanes outside the mask are computed on zeros and never stored).
// _mm256_mul_ps, _mm256_add_ps, _mm256_sub_ps and _mm256_div_ps are the IEEE single-precision
// operations lane by lane, as the scalar ones are.

#include <algorithm>

#include "stats/vector_kernels_avx2_lanes.h"

namespace duv::kernels {
namespace avx2 {
namespace {

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

}  // namespace
}  // namespace avx2

namespace {

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
