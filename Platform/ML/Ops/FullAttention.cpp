#include "Platform/ML/Ops/FullAttention.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Simd/BlockProduct.h"
#include "Platform/ML/Simd/Elementwise.h"
#include "Platform/Math/IntegerRounding.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Platform::ML {
namespace {

// Query rows per task: the block's scores (rows × positions) stay in the cache.
constexpr int kBlockRows = 48;

} // namespace

FullAttention::FullAttention(int positions, int width, int heads)
    : positions_(positions), width_(width), heads_(heads), headWidth_(width / heads),
      paddedPositions_(roundUp(positions, kBlockProductColumns)),
      paddedHeadWidth_(roundUp(headWidth_, kBlockProductColumns))
{
}

std::size_t FullAttention::workspaceSize() const
{
    return static_cast<std::size_t>(width_) * paddedPositions_ +
           static_cast<std::size_t>(heads_) * positions_ * paddedHeadWidth_;
}

void FullAttention::compute(const float* query, const float* key, const float* value, float* out, float* workspace)
{
    const int threads = computeThreads();
    // Keys transposed, [head][headWidth][paddedPositions], and values made
    // contiguous per head, [head][positions][paddedHeadWidth], so both
    // products read rows of whole vectors. The padding is zero: padded keys
    // score nothing that is kept, padded value columns produce nothing that
    // is copied out.
    float* keysByDepth = workspace;
    float* paddedValues = workspace + static_cast<long>(width_) * paddedPositions_;
    parallelFor(width_, 1, threads, [&](long begin, long end) {
        for (long column = begin; column < end; ++column) {
            float* row = keysByDepth + column * paddedPositions_;
            for (int s = 0; s < positions_; ++s)
                row[s] = key[static_cast<long>(s) * width_ + column];
            std::fill(row + positions_, row + paddedPositions_, 0.0f);
        }
    });
    parallelFor(static_cast<long>(heads_) * positions_, 64, threads, [&](long begin, long end) {
        for (long index = begin; index < end; ++index) {
            const long head = index / positions_, s = index % positions_;
            const float* source = value + s * width_ + head * headWidth_;
            float* row = paddedValues + index * paddedHeadWidth_;
            std::fill(std::copy(source, source + headWidth_, row), row + paddedHeadWidth_, 0.0f);
        }
    });

    const int blocks = divideRoundingUp(positions_, kBlockRows);
    parallelFor(static_cast<long>(heads_) * blocks, 1, threads, [&](long begin, long end) {
        for (long task = begin; task < end; ++task) {
            const int head = static_cast<int>(task / blocks);
            const int firstRow = static_cast<int>(task % blocks) * kBlockRows;
            attendBlock(head, firstRow, std::min(kBlockRows, positions_ - firstRow), query, keysByDepth, paddedValues,
                        out);
        }
    });
}

void FullAttention::attendBlock(int head, int firstRow, int rows, const float* query, const float* keysByDepth,
                                const float* paddedValues, float* out) const
{
    // Each thread's own scratch, kept between calls.
    thread_local std::vector<float> queries, scores, attended;
    queries.resize(static_cast<size_t>(rows) * headWidth_);
    scores.resize(static_cast<size_t>(rows) * paddedPositions_);
    attended.resize(static_cast<size_t>(rows) * paddedHeadWidth_);

    const float scale = 1.0f / std::sqrt(static_cast<float>(headWidth_));
    const long column = static_cast<long>(head) * headWidth_;
    for (int r = 0; r < rows; ++r) {
        const float* source = query + static_cast<long>(firstRow + r) * width_ + column;
        std::transform(source, source + headWidth_, queries.data() + static_cast<long>(r) * headWidth_,
                       [scale](float q) { return q * scale; });
    }
    multiplyBlocks(rows, paddedPositions_, headWidth_, queries.data(), headWidth_,
                   keysByDepth + column * paddedPositions_, paddedPositions_, scores.data(), paddedPositions_);
    for (int r = 0; r < rows; ++r) {
        float* row = scores.data() + static_cast<long>(r) * paddedPositions_;
        softmax(row, positions_);
        std::fill(row + positions_, row + paddedPositions_, 0.0f);
    }
    multiplyBlocks(rows, paddedHeadWidth_, positions_, scores.data(), paddedPositions_,
                   paddedValues + static_cast<long>(head) * positions_ * paddedHeadWidth_, paddedHeadWidth_,
                   attended.data(), paddedHeadWidth_);
    for (int r = 0; r < rows; ++r) {
        const float* source = attended.data() + static_cast<long>(r) * paddedHeadWidth_;
        std::copy(source, source + headWidth_, out + static_cast<long>(firstRow + r) * width_ + column);
    }
}

} // namespace Platform::ML
