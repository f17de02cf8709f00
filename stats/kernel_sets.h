#pragma once

// The kernel sets behind the functions of vector_kernels.h: one table of kernels per
// instruction set, each set defined in a file of its own (vector_kernels_<set>.cpp), and the
// dispatch in vector_kernels.cpp choosing among the tables at run time. Every kernel of every
// set has the contract of the public function of its name, down to the bits of each output.
// Internal to the kernels: nothing outside stats/vector_kernels*.cpp includes this header.

#include <cstddef>
#include <cstdint>

#include "stats/vector_kernels.h"

namespace duv::kernels {

// Rows of a matrix handled together by the rotations: a block of this many rows of a matrix of
// a few hundred columns stays in the first-level cache while every step runs over it.
constexpr std::size_t kRotationBlock = 32;
// Rows of the table summed together by productSums, so that they stay in the second-level
// cache while every pair of column blocks runs over them.
constexpr std::size_t kProductRowBlock = 128;

// The baseline kernels (vector_kernels_baseline.cpp), declared here because the tables take
// their types from them and other sets may hand them a case they gain nothing on.
namespace baseline {

void accumulateRows(float* sums, const float* coefficients, const float* rows, std::size_t stride,
                    std::size_t rowCount, std::size_t length);
void addOuterProduct(float* rows, std::size_t stride, std::size_t rowCount, std::size_t length,
                     const float* coefficients, const float* values);
void addOuterProductThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                   std::size_t length, std::size_t skip, const float* coefficients,
                                   const float* values, const float* nextCoefficients, float* sums);
void addOuterProductsThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                    std::size_t length, const float* first,
                                    const float* firstValues, const float* second,
                                    const float* secondValues, const float* next, float* sums);
void productSums(const float* table, std::size_t stride, std::size_t n, std::size_t first,
                 std::size_t firstCount, std::size_t second, std::size_t secondCount, float* out,
                 std::size_t outStride);
void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                              std::size_t vStride, const float* w, std::size_t n, float* out,
                              std::size_t outStride);
void fitCoefficients(const float* a, std::size_t aStride, std::size_t p, const float* table,
                     std::size_t tableStride, const std::int32_t* columns, std::size_t n,
                     const float* y, float* b, float* scratch);
void applyRotations(float* x, std::size_t stride, std::size_t rows, const ColumnRotation* steps,
                    std::size_t count);

}  // namespace baseline

// One instruction set's kernels.
struct KernelSet {
  InstructionSet set;
  decltype(&baseline::accumulateRows) accumulateRows;
  decltype(&baseline::addOuterProduct) addOuterProduct;
  decltype(&baseline::addOuterProductThenAccumulate) addOuterProductThenAccumulate;
  decltype(&baseline::addOuterProductsThenAccumulate) addOuterProductsThenAccumulate;
  decltype(&baseline::productSums) productSums;
  decltype(&baseline::inverseFromDecomposition) inverseFromDecomposition;
  decltype(&baseline::fitCoefficients) fitCoefficients;
  decltype(&baseline::applyRotations) applyRotations;
};

// The baseline set, which every build has and every processor runs.
const KernelSet& baselineKernels();
// The AVX2 set, or null when the processor lacks AVX2 or the build lacks the set (the target
// is not x86-64, and vector_kernels_avx2_absent.cpp stands in for vector_kernels_avx2.cpp).
const KernelSet* avx2Kernels();

}  // namespace duv::kernels
