#include "Platform/ML/Ops/Kernels.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Simd/Elementwise.h"
#include "Platform/ML/Simd/VectorProduct.h"

#include <algorithm>
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

void addInPlace(float* target, const float* source, long count)
{
    Platform::parallelFor(count, kElementwiseGrain, computeThreads(), [&](long begin, long end) {
        for (long i = begin; i < end; ++i)
            target[i] += source[i];
    });
}

} // namespace Platform::ML
