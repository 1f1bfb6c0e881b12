#include "Platform/ML/Simd/HeadProducts.h"

namespace Platform::ML {

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

} // namespace Platform::ML
