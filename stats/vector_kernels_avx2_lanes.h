#pragma once

// What the AVX2 kernel files share (vector_kernels_avx2.cpp, vector_kernels_avx2_products.cpp):
// the attribute that compiles a function for AVX2, whole and masked loads and stores, and the
// kernels one file defines for the other's table. Internal to those files; included by nothing
// else, since its functions may run only where the processor has AVX2.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "stats/kernel_sets.h"

// MSVC compiles the intrinsics in any function and asks the processor through its own
// intrinsics; GCC and Clang compile a function for AVX2 when its attribute says so.
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define DUV_AVX2_TARGET
#else
#define DUV_AVX2_TARGET __attribute__((target("avx2")))
#endif

namespace duv::kernels::avx2 {

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

// The products, inverse and fits (vector_kernels_avx2_products.cpp).
DUV_AVX2_TARGET void productSums(const float* table, std::size_t stride, std::size_t n,
                                 std::size_t first, std::size_t firstCount, std::size_t second,
                                 std::size_t secondCount, float* out, std::size_t outStride);
DUV_AVX2_TARGET void inverseFromDecomposition(const float* u, std::size_t uStride, const float* v,
                                              std::size_t vStride, const float* w, std::size_t n,
                                              float* out, std::size_t outStride);
DUV_AVX2_TARGET void fitCoefficients(const float* a, std::size_t aStride, std::size_t p,
                                     const float* table, std::size_t tableStride,
                                     const std::int32_t* columns, std::size_t n, const float* y,
                                     float* b, float* scratch);

}  // namespace duv::kernels::avx2
