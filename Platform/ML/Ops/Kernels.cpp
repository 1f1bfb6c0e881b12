#include "Platform/ML/Ops/Kernels.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/VectorProduct.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cblas.h>
#include <cmath>

namespace Platform::ML {
namespace {

// Smallest pieces worth handing to another thread (a few microseconds of
// work each); smaller calls, like the decoder's single rows, stay serial.
constexpr long kElementwiseGrain = 1L << 15;
constexpr long kGeluGrain = 1L << 13;
constexpr long kRowGrainElements = 1L << 13;
// Weights per piece of a matrix-vector product (64 KiB): less is not worth
// handing to another thread.
constexpr long kVectorProductGrainWeights = 1L << 14;
// Input rows below which a matrix product is not split further.
constexpr long kMinimumProductRows = 32;

long rowGrain(int width)
{
    return std::max(1L, kRowGrainElements / std::max(width, 1));
}

// exp(x) to about 2 ulp, written so the compiler vectorises loops that call
// it: the libm call in a loop is the encoder's largest cost after BLAS.
inline float fastExp(float x)
{
    x = std::min(std::max(x, -87.0f), 88.0f);
    constexpr float log2e = 1.44269504088896341f;
    constexpr float roundingShift = 12582912.0f; // 1.5 · 2^23: adding it rounds to an integer
    const float k = (x * log2e + roundingShift) - roundingShift;
    // r = x − k·ln 2, in two parts to keep the low bits.
    const float r = (x - k * 0.693359375f) + k * 2.12194440e-4f;
    float p = 1.9875691500e-4f;
    p = p * r + 1.3981999507e-3f;
    p = p * r + 8.3334519073e-3f;
    p = p * r + 4.1665795894e-2f;
    p = p * r + 1.6666665459e-1f;
    p = p * r + 5.0000001201e-1f;
    p = p * r * r + r + 1.0f;
    const int32_t scale = (static_cast<int32_t>(k) + 127) << 23;
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

void normaliseRow(const LayerNormWeights& norm, const float* x, int width, float* y)
{
    double sum = 0.0;
    for (int i = 0; i < width; ++i)
        sum += x[i];
    const float mean = static_cast<float>(sum / width);
    double squares = 0.0;
    for (int i = 0; i < width; ++i) {
        const float d = x[i] - mean;
        squares += static_cast<double>(d) * d;
    }
    const float scale = 1.0f / std::sqrt(static_cast<float>(squares / width) + 1e-5f);
    for (int i = 0; i < width; ++i)
        y[i] = (x[i] - mean) * scale * norm.weight[i] + norm.bias[i];
}

// Wider vectors where the processor has them.
__attribute__((target_clones("avx512f", "avx2", "default"))) void geluSpan(float* values, long count)
{
    constexpr float invSqrt2 = 0.70710678118654752f;
    for (long i = 0; i < count; ++i)
        values[i] = 0.5f * values[i] * (1.0f + fastErf(values[i] * invSqrt2));
}

} // namespace

void applyLinear(const Linear& layer, const float* in, int rows, float* out)
{
    const int threads = computeThreads();
    if (rows == 1) {
        // Blocks of output rows, each product reading its own part of the weights.
        const long grain = std::max(1L, kVectorProductGrainWeights / std::max(layer.in, 1));
        Platform::parallelFor(layer.out, grain, threads, [&](long begin, long end) {
            multiplyRowsByVector(static_cast<int>(end - begin), layer.in, layer.weight + begin * layer.in,
                                 in, out + begin);
            if (layer.bias)
                for (long o = begin; o < end; ++o)
                    out[o] += layer.bias[o];
        });
        return;
    }
    // One block of input rows per thread: every call packs the whole weight
    // matrix again, so few large blocks waste least.
    const long blocks = std::min<long>(threads, (rows + kMinimumProductRows - 1) / kMinimumProductRows);
    const long blockRows = (rows + blocks - 1) / blocks;
    Platform::parallelFor(blocks, 1, threads, [&](long beginBlock, long endBlock) {
        const long begin = beginBlock * blockRows;
        const long end = std::min<long>(rows, endBlock * blockRows);
        if (begin >= end)
            return;
        if (layer.bias)
            for (long r = begin; r < end; ++r)
                std::copy(layer.bias, layer.bias + layer.out, out + r * layer.out);
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasTrans, static_cast<int>(end - begin), layer.out,
                    layer.in, 1.0f, in + begin * layer.in, layer.in, layer.weight, layer.in,
                    layer.bias ? 1.0f : 0.0f, out + begin * layer.out, layer.out);
    });
}

void layerNorm(const LayerNormWeights& norm, const float* in, int rows, int width, float* out)
{
    Platform::parallelFor(rows, rowGrain(width), computeThreads(), [&](long begin, long end) {
        for (long r = begin; r < end; ++r)
            normaliseRow(norm, in + r * width, width, out + r * width);
    });
}

void gelu(float* values, long count)
{
    Platform::parallelFor(count, kGeluGrain, computeThreads(), [&](long begin, long end) {
        geluSpan(values + begin, end - begin);
    });
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void softmax(float* values, int count)
{
    // Eight independent lanes let the compiler keep the reductions in vectors.
    constexpr int lanes = 8;
    float maxima[lanes], sums[lanes];
    for (int j = 0; j < lanes; ++j)
        maxima[j] = -INFINITY;
    const int whole = count / lanes * lanes;
    for (int i = 0; i < whole; i += lanes)
        for (int j = 0; j < lanes; ++j)
            maxima[j] = values[i + j] > maxima[j] ? values[i + j] : maxima[j];
    float maximum = -INFINITY;
    for (int j = 0; j < lanes; ++j)
        maximum = std::max(maximum, maxima[j]);
    for (int i = whole; i < count; ++i)
        maximum = std::max(maximum, values[i]);

    for (int i = 0; i < count; ++i)
        values[i] = fastExp(values[i] - maximum);
    for (int j = 0; j < lanes; ++j)
        sums[j] = 0.0f;
    for (int i = 0; i < whole; i += lanes)
        for (int j = 0; j < lanes; ++j)
            sums[j] += values[i + j];
    float sum = 0.0f;
    for (int j = 0; j < lanes; ++j)
        sum += sums[j];
    for (int i = whole; i < count; ++i)
        sum += values[i];
    const float inverse = 1.0f / sum;
    for (int i = 0; i < count; ++i)
        values[i] *= inverse;
}

void addInPlace(float* target, const float* source, long count)
{
    Platform::parallelFor(count, kElementwiseGrain, computeThreads(), [&](long begin, long end) {
        for (long i = begin; i < end; ++i)
            target[i] += source[i];
    });
}

} // namespace Platform::ML
