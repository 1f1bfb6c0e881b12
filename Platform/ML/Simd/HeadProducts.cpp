#include "Platform/ML/Simd/HeadProducts.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Platform::ML {
namespace {

void scoreHalvesPortable(const float* query, const Float16* keys, long positionStride, int begin, int end, int heads,
                         int headWidth, float scale, float* scores, long scoreStride)
{
    for (int j = begin; j < end; ++j) {
        const Float16* key = keys + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            float sum = 0.0f;
            for (int d = 0; d < headWidth; ++d)
                sum += query[h * headWidth + d] * static_cast<float>(key[h * headWidth + d]);
            scores[h * scoreStride + j] = scale * sum;
        }
    }
}

void weighHalvesPortable(const float* weights, long weightStride, const Float16* values, long positionStride, int begin,
                         int end, int heads, int headWidth, float* out)
{
    for (int j = begin; j < end; ++j) {
        const Float16* value = values + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float weight = weights[h * weightStride + j];
            for (int d = 0; d < headWidth; ++d)
                out[h * headWidth + d] += weight * static_cast<float>(value[h * headWidth + d]);
        }
    }
}

#if defined(__x86_64__)

[[gnu::target("avx2,fma,f16c"), gnu::always_inline]] inline __m256 eightHalves(const Float16* halves)
{
    return _mm256_cvtph_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(halves)));
}

// Two independent sums per dot product hide the latency of each multiply-add.
[[gnu::target("avx2,fma,f16c")]] void scoreHalvesAvx2(const float* query, const Float16* keys, long positionStride,
                                                      int begin, int end, int heads, int headWidth, float scale,
                                                      float* scores, long scoreStride)
{
    const int pairs = headWidth / 16 * 16, eights = headWidth / 8 * 8;
    for (int j = begin; j < end; ++j) {
        const Float16* key = keys + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const Float16* k = key + h * headWidth;
            __m256 s0 = _mm256_setzero_ps(), s1 = s0;
            int d = 0;
            for (; d < pairs; d += 16) {
                s0 = _mm256_fmadd_ps(eightHalves(k + d), _mm256_loadu_ps(q + d), s0);
                s1 = _mm256_fmadd_ps(eightHalves(k + d + 8), _mm256_loadu_ps(q + d + 8), s1);
            }
            for (; d < eights; d += 8)
                s0 = _mm256_fmadd_ps(eightHalves(k + d), _mm256_loadu_ps(q + d), s0);
            const __m256 all = _mm256_add_ps(s0, s1);
            __m128 half = _mm_add_ps(_mm256_castps256_ps128(all), _mm256_extractf128_ps(all, 1));
            half = _mm_add_ps(half, _mm_movehl_ps(half, half));
            half = _mm_add_ss(half, _mm_movehdup_ps(half));
            float sum = _mm_cvtss_f32(half);
            for (; d < headWidth; ++d)
                sum += q[d] * static_cast<float>(k[d]);
            scores[h * scoreStride + j] = scale * sum;
        }
    }
}

[[gnu::target("avx2,fma,f16c")]] void weighHalvesAvx2(const float* weights, long weightStride, const Float16* values,
                                                      long positionStride, int begin, int end, int heads, int headWidth,
                                                      float* out)
{
    const int eights = headWidth / 8 * 8;
    for (int j = begin; j < end; ++j) {
        const Float16* value = values + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float weight = weights[h * weightStride + j];
            const __m256 w = _mm256_set1_ps(weight);
            float* o = out + h * headWidth;
            const Float16* v = value + h * headWidth;
            int d = 0;
            for (; d < eights; d += 8)
                _mm256_storeu_ps(o + d, _mm256_fmadd_ps(w, eightHalves(v + d), _mm256_loadu_ps(o + d)));
            for (; d < headWidth; ++d)
                o[d] += weight * static_cast<float>(v[d]);
        }
    }
}

#endif

} // namespace

// Wider vectors where the processor has them; eight independent partial sums
// let the compiler keep each dot product in one vector.
__attribute__((target_clones("avx512f", "avx2", "default"))) void scoreAllHeads(
    const float* query, const float* keys, long positionStride, int begin, int end, int heads, int headWidth,
    float scale, float* scores, long scoreStride)
{
    constexpr int lanes = 8;
    const int whole = headWidth / lanes * lanes;
    for (int j = begin; j < end; ++j) {
        const float* key = keys + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const float* k = key + h * headWidth;
            float sums[lanes] = {};
            for (int d = 0; d < whole; d += lanes)
                for (int lane = 0; lane < lanes; ++lane)
                    sums[lane] += q[d + lane] * k[d + lane];
            float sum = 0.0f;
            for (float partial : sums)
                sum += partial;
            for (int d = whole; d < headWidth; ++d)
                sum += q[d] * k[d];
            scores[h * scoreStride + j] = scale * sum;
        }
    }
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void weighAllHeads(
    const float* weights, long weightStride, const float* values, long positionStride, int begin, int end,
    int heads, int headWidth, float* out)
{
    for (int j = begin; j < end; ++j) {
        const float* value = values + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float weight = weights[h * weightStride + j];
            float* o = out + h * headWidth;
            const float* v = value + h * headWidth;
            for (int d = 0; d < headWidth; ++d)
                o[d] += weight * v[d];
        }
    }
}

void scoreAllHeads(const float* query, const Float16* keys, long positionStride, int begin, int end, int heads,
                   int headWidth, float scale, float* scores, long scoreStride, InstructionSet set)
{
#if defined(__x86_64__)
    if (set == InstructionSet::Avx2)
        return scoreHalvesAvx2(query, keys, positionStride, begin, end, heads, headWidth, scale, scores, scoreStride);
#endif
    scoreHalvesPortable(query, keys, positionStride, begin, end, heads, headWidth, scale, scores, scoreStride);
}

void weighAllHeads(const float* weights, long weightStride, const Float16* values, long positionStride, int begin,
                   int end, int heads, int headWidth, float* out, InstructionSet set)
{
#if defined(__x86_64__)
    if (set == InstructionSet::Avx2)
        return weighHalvesAvx2(weights, weightStride, values, positionStride, begin, end, heads, headWidth, out);
#endif
    weighHalvesPortable(weights, weightStride, values, positionStride, begin, end, heads, headWidth, out);
}

} // namespace Platform::ML
