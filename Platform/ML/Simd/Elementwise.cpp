#include "Platform/ML/Simd/Elementwise.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace Platform::ML {
namespace {

// exp(x) to about 2 ulp, written so the compiler vectorises loops that call
// it: the libm call in a loop is the encoder's largest cost after BLAS.
inline float fastExp(float x)
{
    x = std::min(std::max(x, -87.0f), 88.0f);
    constexpr float log2e = 1.44269504088896341f;
    constexpr float roundingShift = 12582912.0f; // 1.5 · 2^23: adding it rounds to an integer
    const float shifted = x * log2e + roundingShift;
    const float k = shifted - roundingShift;
    // r = x − k·ln 2, in two parts to keep the low bits.
    const float r = (x - k * 0.693359375f) + k * 2.12194440e-4f;
    float p = 1.9875691500e-4f;
    p = p * r + 1.3981999507e-3f;
    p = p * r + 8.3334519073e-3f;
    p = p * r + 4.1665795894e-2f;
    p = p * r + 1.6666665459e-1f;
    p = p * r + 5.0000001201e-1f;
    p = p * r * r + r + 1.0f;
    // 2^k built from the integer in `shifted`'s low bits, never by converting
    // k: a NaN input must come out as NaN, not as undefined behaviour.
    const uint32_t scale = (std::bit_cast<uint32_t>(shifted) - std::bit_cast<uint32_t>(roundingShift) + 127u) << 23;
    return p * std::bit_cast<float>(scale);
}

// erf(x) with an absolute error below 1.5e-7 (Abramowitz and Stegun
// 7.1.26), vectorisable like fastExp.
inline float fastErf(float x)
{
    const float a = std::fabs(x);
    const float t = 1.0f / (1.0f + 0.3275911f * a);
    float p = 1.061405429f;
    p = p * t - 1.453152027f;
    p = p * t + 1.421413741f;
    p = p * t - 0.284496736f;
    p = p * t + 0.254829592f;
    const float y = 1.0f - p * t * fastExp(-a * a);
    return std::copysign(y, x);
}

} // namespace

// Wider vectors where the processor has them.
__attribute__((target_clones("avx512f", "avx2", "default"))) void geluSpan(float* values, long count)
{
    constexpr float invSqrt2 = 0.70710678118654752f;
    for (long i = 0; i < count; ++i)
        values[i] = 0.5f * values[i] * (1.0f + fastErf(values[i] * invSqrt2));
}

// Eight independent sums per pass let the compiler keep them in vectors; one
// sum would wait on each addition in turn.
__attribute__((target_clones("avx512f", "avx2", "default"))) void
normaliseRow(const float* x, int width, const float* weight, const float* bias, float* y)
{
    constexpr int lanes = 8;
    const int whole = width / lanes * lanes;
    double sums[lanes] = {};
    for (int i = 0; i < whole; i += lanes)
        for (int j = 0; j < lanes; ++j)
            sums[j] += x[i + j];
    double sum = 0.0;
    for (int i = whole; i < width; ++i)
        sum += x[i];
    for (double partial : sums)
        sum += partial;
    const float mean = static_cast<float>(sum / width);
    double squares[lanes] = {};
    for (int i = 0; i < whole; i += lanes)
        for (int j = 0; j < lanes; ++j) {
            const float d = x[i + j] - mean;
            squares[j] += static_cast<double>(d) * d;
        }
    double square = 0.0;
    for (int i = whole; i < width; ++i) {
        const float d = x[i] - mean;
        square += static_cast<double>(d) * d;
    }
    for (double partial : squares)
        square += partial;
    const float scale = 1.0f / std::sqrt(static_cast<float>(square / width) + 1e-5f);
    for (int i = 0; i < width; ++i)
        y[i] = (x[i] - mean) * scale * weight[i] + bias[i];
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void addScaled(float* target, const float* source,
                                                                            float factor, long count)
{
    for (long i = 0; i < count; ++i)
        target[i] += factor * source[i];
}

__attribute__((target_clones("avx512f", "avx2", "default"))) float maximum(const float* values, long count)
{
    // Eight independent lanes let the compiler keep the reduction in vectors.
    constexpr long lanes = 8;
    float maxima[lanes];
    for (long j = 0; j < lanes; ++j)
        maxima[j] = -INFINITY;
    const long whole = count / lanes * lanes;
    for (long i = 0; i < whole; i += lanes)
        for (long j = 0; j < lanes; ++j)
            maxima[j] = values[i + j] > maxima[j] ? values[i + j] : maxima[j];
    float largest = -INFINITY;
    for (long j = 0; j < lanes; ++j)
        largest = std::max(largest, maxima[j]);
    for (long i = whole; i < count; ++i)
        largest = values[i] > largest ? values[i] : largest;
    return largest;
}

__attribute__((target_clones("avx512f", "avx2", "default"))) float sumOfExponentials(const float* values, long count,
                                                                                     float shift)
{
    constexpr long lanes = 8;
    float sums[lanes] = {};
    const long whole = count / lanes * lanes;
    for (long i = 0; i < whole; i += lanes)
        for (long j = 0; j < lanes; ++j)
            sums[j] += fastExp(values[i + j] - shift);
    float sum = 0.0f;
    for (long j = 0; j < lanes; ++j)
        sum += sums[j];
    for (long i = whole; i < count; ++i)
        sum += fastExp(values[i] - shift);
    return sum;
}

__attribute__((target_clones("avx512f", "avx2", "default"))) float exponentiate(float* values, long count, float shift)
{
    constexpr long lanes = 8;
    float sums[lanes] = {};
    const long whole = count / lanes * lanes;
    for (long i = 0; i < whole; i += lanes)
        for (long j = 0; j < lanes; ++j)
            sums[j] += values[i + j] = fastExp(values[i + j] - shift);
    float sum = 0.0f;
    for (long j = 0; j < lanes; ++j)
        sum += sums[j];
    for (long i = whole; i < count; ++i)
        sum += values[i] = fastExp(values[i] - shift);
    return sum;
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void softmax(float* values, int count)
{
    const float inverse = 1.0f / exponentiate(values, count, maximum(values, count));
    for (int i = 0; i < count; ++i)
        values[i] *= inverse;
}

} // namespace Platform::ML
