#include "Platform/ML/Ops/Kernels.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Simd/BlockProduct.h"
#include "Platform/ML/Simd/Elementwise.h"
#include "Platform/ML/Simd/VectorProduct.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/Math/IntegerRounding.h"

#include <algorithm>
#include <cblas.h>
#include <cmath>
#include <cstring>
#include <strings.h>
#include <vector>

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
// Blocks per thread of a matrix-vector product at most: a few even out
// threads that start late or run slower.
constexpr long kBlocksPerThread = 4;
// Tiles of a matrix product on several threads: about this many per thread,
// about square, no side shorter than kMinimumTileSide where the product
// allows. Outputs per tile are a multiple of kOutputMultiple, which suits
// BLAS's kernels.
constexpr double kTilesPerThread = 4;
constexpr double kMinimumTileSide = 64;
constexpr long kOutputMultiple = 16;
// Inputs of half-precision weights widened at a time for a product.
constexpr long kWidenedInputs = 256;
// Outputs one task of a product through multiplyBlocks computes for every
// row, and rows it runs at a time: a strip's inputs and the task's widened
// weights stay in the core's own cache.
constexpr int kBlockOutputs = 2 * kBlockProductColumns;
constexpr int kStripRows = 96;

long rowGrain(int width)
{
    return std::max(1L, kRowGrainElements / std::max(width, 1));
}

// Blocks of output rows a single-row product is cut into, each streamed by
// one thread: a whole multiple of the threads where there is enough work,
// since a product this short ends when its last block does (a 384-row matrix
// cut into nine blocks keeps one of four threads reading a third longer than
// the others).
long vectorBlocks(const Linear& layer, int threads)
{
    const long weights = static_cast<long>(layer.out()) * std::max(layer.in(), 1);
    const long worth = std::min(weights / kVectorProductGrainWeights, kBlocksPerThread * threads);
    return std::clamp<long>(worth < threads ? worth : worth / threads * threads, 1, layer.out());
}

void multiplyBlock(const LinearOutput& product, const float* in, long block, long blocks)
{
    const long outputs = product.layer.out();
    const long begin = block * outputs / blocks, end = (block + 1) * outputs / blocks;
    multiplyRowsByVector(product.layer.weight, begin, end - begin, in, product.out + begin);
    if (product.layer.bias)
        for (long o = begin; o < end; ++o)
            product.out[o] += product.layer.bias[o];
}

// Whether products of several rows go through multiplyBlocks rather than
// BLAS: where the processor has vectors of 16 floats and BLAS's kernels do not
// use them (a core type the environment sets, or a BLAS older than the
// processor), multiplyBlocks does about half as much again per core.
bool blockProductsOutrunBlas()
{
    static const bool outrun = [] {
        if (!blockProductsHaveWideVectors())
            return false;
        const char* core = openblas_get_corename();
        for (const char* wide : {"SkylakeX", "Cooperlake", "SapphireRapids"})
            if (core && strcasecmp(core, wide) == 0)
                return false;
        return true;
    }();
    return outrun;
}

} // namespace

void applyLinears(std::span<const LinearOutput> products, const float* in, int rows)
{
    if (rows != 1) {
        for (const auto& product : products)
            applyLinear(product.layer, in, rows, product.out);
        return;
    }
    const int threads = computeThreads();
    long total = 0, weights = 0;
    for (const auto& product : products) {
        total += vectorBlocks(product.layer, threads);
        weights += static_cast<long>(product.layer.out()) * product.layer.in();
    }
    const int sharing = weights < 2 * kVectorProductGrainWeights ? 1 : threads;
    Platform::parallelFor(total, 1, sharing, [&](long firstBlock, long endBlock) {
        for (long block = firstBlock; block < endBlock; ++block) {
            long local = block;
            for (const auto& product : products) {
                const long blocks = vectorBlocks(product.layer, threads);
                if (local < blocks) {
                    multiplyBlock(product, in, local, blocks);
                    break;
                }
                local -= blocks;
            }
        }
    });
}

void applyLinear(const Linear& layer, const float* in, int rows, float* out)
{
    if (rows == 1) {
        const LinearOutput product{layer, out};
        applyLinears({&product, 1}, in, 1);
        return;
    }
    if (blockProductsOutrunBlas() && layer.out() % kBlockProductColumns == 0) {
        applyLinearInBlocks(layer, in, rows, out);
        return;
    }
    const int threads = computeThreads();
    const int inputs = layer.in(), outputs = layer.out();
    // Tiles of input rows × outputs, several per thread, taken in turn from a
    // shared counter: a thread that runs slow holds up one tile, not a share of
    // the product. Tiles are about square, which keeps what BLAS packs per
    // tile small beside its arithmetic; a single thread takes the product whole.
    const double wanted = threads == 1 ? 1 : kTilesPerThread * threads;
    const double side = std::max(kMinimumTileSide, std::sqrt(static_cast<double>(rows) * outputs / wanted));
    const long rowTiles = std::max(1L, static_cast<long>(rows / side));
    const long tileRows = divideRoundingUp<long>(rows, rowTiles);
    const long outputParts = std::max(1L, static_cast<long>(outputs / side));
    const long tileOutputs =
        std::min<long>(outputs, roundUp<long>(divideRoundingUp<long>(outputs, outputParts), kOutputMultiple));
    const long outputTiles = divideRoundingUp<long>(outputs, tileOutputs);
    // Half-precision weights are widened a slice of inputs at a time, so each
    // thread's widened slice, kept as long as the thread, stays small; BLAS
    // works through the inputs in slices of about that size anyway.
    Platform::parallelFor(rowTiles * outputTiles, 1, threads, [&](long begin, long end) {
        thread_local std::vector<float> widened;
        for (long tile = begin; tile < end; ++tile) {
            const long firstOutput = tile / rowTiles * tileOutputs, firstRow = tile % rowTiles * tileRows;
            const long outputCount = std::min(tileOutputs, outputs - firstOutput);
            const long rowCount = std::min(tileRows, rows - firstRow);
            float* target = out + firstRow * outputs + firstOutput;
            if (layer.bias)
                for (long r = 0; r < rowCount; ++r)
                    std::copy_n(layer.bias + firstOutput, outputCount, target + r * outputs);
            const auto multiply = [&](long firstInput, long inputCount, const float* weights, long stride) {
                const bool accumulate = layer.bias || firstInput > 0;
                cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasTrans, static_cast<int>(rowCount),
                            static_cast<int>(outputCount), static_cast<int>(inputCount), 1.0f,
                            in + firstRow * inputs + firstInput, inputs, weights, static_cast<int>(stride),
                            accumulate ? 1.0f : 0.0f, target, outputs);
            };
            if (!layer.weight.isHalf()) {
                multiply(0, inputs, layer.weight.floatRow(firstOutput), inputs);
                continue;
            }
            widened.resize(static_cast<size_t>(tileOutputs * std::min<long>(inputs, kWidenedInputs)));
            for (long firstInput = 0; firstInput < inputs; firstInput += kWidenedInputs) {
                const long inputCount = std::min<long>(kWidenedInputs, inputs - firstInput);
                for (long o = 0; o < outputCount; ++o)
                    widenHalfFloats(layer.weight.halfRow(firstOutput + o) + 2 * firstInput,
                                    static_cast<size_t>(inputCount), widened.data() + o * inputCount);
                multiply(firstInput, inputCount, widened.data(), inputCount);
            }
        }
    });
}

// Each task takes a block of outputs over every row: it widens a slice of
// their weights once, laid out [input][output] as multiplyBlocks reads it,
// and runs the rows through it strip by strip, adding to the bias or to what
// earlier slices left.
void applyLinearInBlocks(const Linear& layer, const float* in, int rows, float* out)
{
    const int inputs = layer.in(), allOutputs = layer.out();
    const int outputs = allOutputs % kBlockOutputs == 0 ? kBlockOutputs : kBlockProductColumns;
    Platform::parallelFor(allOutputs / outputs, 1, computeThreads(), [&](long begin, long end) {
        thread_local std::vector<float> packed, row;
        packed.resize(static_cast<size_t>(kWidenedInputs) * outputs);
        row.resize(kWidenedInputs);
        for (long task = begin; task < end; ++task) {
            const long firstOutput = task * outputs;
            float* target = out + firstOutput;
            for (long r = 0; r < rows; ++r) {
                if (layer.bias)
                    std::copy_n(layer.bias + firstOutput, outputs, target + r * allOutputs);
                else
                    std::fill_n(target + r * allOutputs, outputs, 0.0f);
            }
            for (long firstInput = 0; firstInput < inputs; firstInput += kWidenedInputs) {
                const long inputCount = std::min<long>(kWidenedInputs, inputs - firstInput);
                for (long o = 0; o < outputs; ++o) {
                    if (layer.weight.isHalf())
                        widenHalfFloats(layer.weight.halfRow(firstOutput + o) + 2 * firstInput,
                                        static_cast<size_t>(inputCount), row.data());
                    else
                        std::memcpy(row.data(), layer.weight.floatRow(firstOutput + o) + firstInput,
                                    static_cast<size_t>(inputCount) * sizeof(float));
                    for (long k = 0; k < inputCount; ++k)
                        packed[static_cast<size_t>(k * outputs + o)] = row[static_cast<size_t>(k)];
                }
                for (long first = 0; first < rows; first += kStripRows)
                    multiplyBlocksAdding(static_cast<int>(std::min<long>(kStripRows, rows - first)), outputs,
                                         static_cast<int>(inputCount), in + first * inputs + firstInput, inputs,
                                         packed.data(), outputs, target + first * allOutputs, allOutputs);
            }
        }
    });
}

void layerNorm(const LayerNormWeights& norm, const float* in, int rows, int width, float* out)
{
    Platform::parallelFor(rows, rowGrain(width), computeThreads(), [&](long begin, long end) {
        for (long r = begin; r < end; ++r)
            normaliseRow(in + r * width, width, norm.weight, norm.bias, out + r * width);
    });
}

void gelu(float* values, long count)
{
    Platform::parallelFor(count, kGeluGrain, computeThreads(),
                          [&](long begin, long end) { geluSpan(values + begin, end - begin); });
}

void addInPlace(float* target, const float* source, long count)
{
    Platform::parallelFor(count, kElementwiseGrain, computeThreads(), [&](long begin, long end) {
        for (long i = begin; i < end; ++i)
            target[i] += source[i];
    });
}

} // namespace Platform::ML
