#include "stats/kernel_sets.h"

// The baseline set: plain loops, vectorised by the compiler across their independent outputs
// for the instruction set the whole project is built for, so that they run on every processor.
// The helpers of a kernel stay inside this file; the kernels themselves are declared in
// kernel_sets.h.

#include <algorithm>

namespace duv::kernels {
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

void addOuterProductThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                   std::size_t length, std::size_t skip, const float* coefficients,
                                   const float* values, const float* nextCoefficients,
                                   float* sums) {
  for (std::size_t k = 0; k < rowCount; ++k) {
    float* row = rows + k * stride;
    const float c = coefficients[k];
    for (std::size_t j = skip; j < length; ++j) row[j] += c * values[j - skip];
    const float next = nextCoefficients[k];
    for (std::size_t j = 0; j < length; ++j) sums[j] += next * row[j];
  }
}

void addOuterProductsThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                    std::size_t length, const float* first,
                                    const float* firstValues, const float* second,
                                    const float* secondValues, const float* next, float* sums) {
  for (std::size_t k = 0; k < rowCount; ++k) {
    float* row = rows + k * stride;
    if (first != nullptr) {
      for (std::size_t j = 0; j < length; ++j) row[j] += first[k] * firstValues[j];
    }
    if (second != nullptr) {
      for (std::size_t j = 0; j < length; ++j) row[j] += second[k] * secondValues[j];
    }
    if (next != nullptr) {
      for (std::size_t j = 0; j < length; ++j) sums[j] += next[k] * row[j];
    }
  }
}

namespace {
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
}  // namespace

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

namespace {
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
}  // namespace

void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                              std::size_t vStride, const float* w, std::size_t n, float* out,
                              std::size_t outStride) {
  for (std::size_t j = 0; j < n; ++j) {
    inverseColumnRows(u, uStride, v, vStride, w, n, j, 0, n, out + j * outStride);
  }
}

namespace {
// Rows [begin, end) of b for the data points [c, c + count), count <= 4, after the points
// before c: t(r, c') for the points at once, then each added to b[r] in point order.
void fitCoefficientRows(const float* a, std::size_t aStride, std::size_t p, const float* table,
                        std::size_t tableStride, const std::int32_t* columns, std::size_t c,
                        std::size_t count, const float* y, float* b, std::size_t begin,
                        std::size_t end, float* scratch) {
  float* t[4] = {scratch, scratch + p, scratch + 2 * p, scratch + 3 * p};
  for (std::size_t j = 0; j < p; ++j) {
    const float* column = table + c * tableStride + static_cast<std::size_t>(columns[j]);
    const float* aj = a + j * aStride;
    for (std::size_t q = 0; q < count; ++q) {
      const float x = column[q * tableStride];
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
}  // namespace

void fitCoefficients(const float* a, std::size_t aStride, std::size_t p, const float* table,
                     std::size_t tableStride, const std::int32_t* columns, std::size_t n,
                     const float* y, float* b, float* scratch) {
  for (std::size_t c = 0; c < n; c += 4) {
    fitCoefficientRows(a, aStride, p, table, tableStride, columns, c,
                       std::min<std::size_t>(4, n - c), y, b, 0, p, scratch);
  }
}

namespace {
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
}  // namespace

void applyRotations(float* x, std::size_t stride, std::size_t rows, const ColumnRotation* steps,
                    std::size_t count) {
  for (std::size_t begin = 0; begin < rows; begin += kRotationBlock) {
    rotateRows(x, stride, begin, std::min(rows, begin + kRotationBlock), steps, count);
  }
}

}  // namespace baseline

namespace {

constexpr KernelSet kBaseline{InstructionSet::baseline,
                              baseline::accumulateRows,
                              baseline::addOuterProduct,
                              baseline::addOuterProductThenAccumulate,
                              baseline::addOuterProductsThenAccumulate,
                              baseline::productSums,
                              baseline::inverseFromDecomposition,
                              baseline::fitCoefficients,
                              baseline::applyRotations};

}  // namespace

const KernelSet& baselineKernels() { return kBaseline; }

}  // namespace duv::kernels
