#pragma once

// The inner loops of the statistics, vectorised across independent outputs: every output
// element receives exactly the float operations, in exactly the order, that the plain loop
// written beside each kernel gives it, so results are the same bits whichever instruction set
// runs them. Vectors only ever hold different outputs side by side; no sum is split, reordered
// or fused (no multiply-add).
//
// The kernels run on the processor's widest supported set among those built in (plain loops
// that the compiler vectorises for the baseline instruction set, and AVX2 on x86-64 processors
// that have it), chosen once at run time. Each set sits in its own vector_kernels_<set>.cpp,
// which the build includes only for targets that can have the set. All matrices are
// column-major or row-major arrays of floats with an explicit stride (the distance between
// consecutive columns, or rows).

#include <cstddef>
#include <cstdint>

namespace duv::kernels {

enum class InstructionSet { baseline, avx2 };

// The set the kernels run on.
InstructionSet activeInstructionSet();
// Makes the kernels run on `set` (for tests that compare every set with the reference).
// Returns false, changing nothing, when the processor or the build lacks it. Not thread-safe:
// call it while no kernel runs.
bool useInstructionSet(InstructionSet set);

// Products are written with the operands in one order; float multiplication is commutative
// (only which payload a product of two NaNs carries may differ, and no output shows it).

// For k = 0 .. rowCount-1 in turn, for every j < length:
//   sums[j] += coefficients[k] * rows[k * stride + j],
// so sums[j] collects its terms in increasing k, onto the value it had.
void accumulateRows(float* sums, const float* coefficients, const float* rows, std::size_t stride,
                    std::size_t rowCount, std::size_t length);

// For every k < rowCount and j < length:  rows[k * stride + j] += coefficients[k] * values[j].
void addOuterProduct(float* rows, std::size_t stride, std::size_t rowCount, std::size_t length,
                     const float* coefficients, const float* values);

// Two passes over the same rows made one: for k = 0 .. rowCount-1 in turn, first
//   rows[k * stride + j] += coefficients[k] * values[j - skip]   for skip <= j < length,
// then, with the row so changed,
//   sums[j] += nextCoefficients[k] * rows[k * stride + j]        for j < length.
// The same as addOuterProduct on columns [skip, length) followed by accumulateRows.
void addOuterProductThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                   std::size_t length, std::size_t skip, const float* coefficients,
                                   const float* values, const float* nextCoefficients, float* sums);

// Up to three passes over the same rows made one: for k = 0 .. rowCount-1 in turn, for every
// j < length,
//   rows[k * stride + j] += first[k] * firstValues[j]       (when `first` is not null), then
//   rows[k * stride + j] += second[k] * secondValues[j]     (when `second` is not null), then
//   sums[j] += next[k] * rows[k * stride + j]               (when `next` is not null).
void addOuterProductsThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                    std::size_t length, const float* first,
                                    const float* firstValues, const float* second,
                                    const float* secondValues, const float* next, float* sums);

// Sums of products of the columns of a row-major table (n rows, `stride` floats apart): for
// a < firstCount and b < secondCount,
//   out[a * outStride + b] = sum over r = 0 .. n-1 of x(r, first + a) * x(r, second + b),
// added in increasing r starting from the r = 0 term (0 when n is 0), x(r, c) being
// table[r * stride + c].
void productSums(const float* table, std::size_t stride, std::size_t n, std::size_t first,
                 std::size_t firstCount, std::size_t second, std::size_t secondCount, float* out,
                 std::size_t outStride);

// The inverse of a square matrix from its singular value decomposition U diag(w) V^T (both
// n x n, column-major with strides uStride and vStride): for every i, j < n,
//   out(i, j) = 0, then for k = 0 .. n-1 with w[k] != 0 (NaN included):
//     out(i, j) += (U(j, k) * V(i, k)) / w[k],
// out column-major with stride outStride.
void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                              std::size_t vStride, const float* w, std::size_t n, float* out,
                              std::size_t outStride);

// The coefficients b = (A X^T) y of a least-squares fit, with A (p x p, column-major, stride
// aStride) and X the n x p matrix whose column j is column columns[j] of a row-major `table`
// of regressors, X(c, j) = table[c * tableStride + columns[j]]:
//   t(r, c) = sum over j = 0 .. p-1 of A(r, j) * X(c, j), from the j = 0 term;
//   b[r] = sum over c = 0 .. n-1 of t(r, c) * y[c], from the c = 0 term.
// Requires p >= 1 and n >= 1; `scratch` holds 4 p floats.
void fitCoefficients(const float* a, std::size_t aStride, std::size_t p, const float* table,
                     std::size_t tableStride, const std::int32_t* columns, std::size_t n,
                     const float* y, float* b, float* scratch);

// One step of the rotations a decomposition applies to the columns of a matrix x:
//   a rotation (second >= 0): for every row r, with p = x(r, first) and q = x(r, second),
//     x(r, first) = p * c + q * s  and  x(r, second) = q * c - p * s;
//   a negation (second == kNegate): x(r, first) = -x(r, first) for every row r.
struct ColumnRotation {
  static constexpr std::int32_t kNegate = -1;
  std::int32_t first = 0;
  std::int32_t second = kNegate;
  float c = 0.0F;
  float s = 0.0F;
};

// Applies `count` steps in order to x (rows x columns, column-major with stride `stride`). Rows
// are independent, so the steps run over blocks of rows that stay in the cache.
void applyRotations(float* x, std::size_t stride, std::size_t rows, const ColumnRotation* steps,
                    std::size_t count);

}  // namespace duv::kernels
