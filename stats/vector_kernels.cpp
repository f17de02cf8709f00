#include "stats/vector_kernels.h"

// The choice among the kernel sets at run time. Each set sits in a file of its own, and CMake
// builds in only the sets the target can have: a set the build lacks is one whose file reports
// it absent (vector_kernels_avx2_absent.cpp), so nothing here depends on the platform.

#include "stats/kernel_sets.h"

namespace duv::kernels {
namespace {

// The kernels of `set`, or null when the build or the processor lacks it.
const KernelSet* kernelsOf(InstructionSet set) {
  switch (set) {
    case InstructionSet::baseline:
      return &baselineKernels();
    case InstructionSet::avx2:
      return avx2Kernels();
  }
  return nullptr;
}

// The widest set the build and the processor have, until useInstructionSet chooses another.
const KernelSet*& activeKernels() {
  static const KernelSet* kernels = [] {
    const KernelSet* avx2 = kernelsOf(InstructionSet::avx2);
    return avx2 != nullptr ? avx2 : kernelsOf(InstructionSet::baseline);
  }();
  return kernels;
}

}  // namespace

InstructionSet activeInstructionSet() { return activeKernels()->set; }

bool useInstructionSet(InstructionSet set) {
  const KernelSet* kernels = kernelsOf(set);
  if (kernels == nullptr) return false;
  activeKernels() = kernels;
  return true;
}

void accumulateRows(float* sums, const float* coefficients, const float* rows, std::size_t stride,
                    std::size_t rowCount, std::size_t length) {
  activeKernels()->accumulateRows(sums, coefficients, rows, stride, rowCount, length);
}

void addOuterProduct(float* rows, std::size_t stride, std::size_t rowCount, std::size_t length,
                     const float* coefficients, const float* values) {
  activeKernels()->addOuterProduct(rows, stride, rowCount, length, coefficients, values);
}

void addOuterProductThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                   std::size_t length, std::size_t skip, const float* coefficients,
                                   const float* values, const float* nextCoefficients,
                                   float* sums) {
  activeKernels()->addOuterProductThenAccumulate(rows, stride, rowCount, length, skip, coefficients,
                                                 values, nextCoefficients, sums);
}

void addOuterProductsThenAccumulate(float* rows, std::size_t stride, std::size_t rowCount,
                                    std::size_t length, const float* first,
                                    const float* firstValues, const float* second,
                                    const float* secondValues, const float* next, float* sums) {
  activeKernels()->addOuterProductsThenAccumulate(rows, stride, rowCount, length, first,
                                                  firstValues, second, secondValues, next, sums);
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

void fitCoefficients(const float* a, std::size_t aStride, std::size_t p, const float* table,
                     std::size_t tableStride, const std::int32_t* columns, std::size_t n,
                     const float* y, float* b, float* scratch) {
  activeKernels()->fitCoefficients(a, aStride, p, table, tableStride, columns, n, y, b, scratch);
}

void applyRotations(float* x, std::size_t stride, std::size_t rows, const ColumnRotation* steps,
                    std::size_t count) {
  activeKernels()->applyRotations(x, stride, rows, steps, count);
}

}  // namespace duv::kernels