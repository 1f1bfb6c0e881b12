#pragma once

#if defined(__x86_64__)

#include "Platform/ML/Tensor/Float16.h"

#include <immintrin.h>

namespace Platform::ML {

// Helpers of the AVX-512 kernels. The zero-masked forms say what the unmasked
// lanes hold; the compiler's unmasked ones start from an undefined vector and
// warn about it.

// Sixteen halves at any address, widened.
[[gnu::target("avx512f,avx2,fma,f16c"), gnu::always_inline]] inline __m512 sixteenHalves(const void* halves)
{
    return _mm512_maskz_cvtph_ps(0xffff, _mm256_loadu_si256(static_cast<const __m256i*>(halves)));
}

// The sum of the sixteen lanes.
[[gnu::target("avx512f,avx2,fma,f16c"), gnu::always_inline]] inline float total(__m512 sums)
{
    const __m512d both = _mm512_castps_pd(sums);
    const __m256 all = _mm256_add_ps(_mm256_castpd_ps(_mm512_maskz_extractf64x4_pd(0xf, both, 0)),
                                     _mm256_castpd_ps(_mm512_maskz_extractf64x4_pd(0xf, both, 1)));
    __m128 half = _mm_add_ps(_mm256_castps256_ps128(all), _mm256_extractf128_ps(all, 1));
    half = _mm_add_ps(half, _mm_movehl_ps(half, half));
    half = _mm_add_ss(half, _mm_movehdup_ps(half));
    return _mm_cvtss_f32(half);
}

} // namespace Platform::ML

#endif
