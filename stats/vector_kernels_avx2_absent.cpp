#include "stats/kernel_sets.h"

// The AVX2 set of a build that cannot have it: CMake uses this file in place of
// vector_kernels_avx2.cpp where the target is not x86-64 or the compiler cannot build AVX2 code.

namespace duv::kernels {

const KernelSet* avx2Kernels() { return nullptr; }

}  // namespace duv::kernels
