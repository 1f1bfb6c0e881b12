#include "Platform/ML/Ops/CachedAttention.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/Kernels.h"
#include "Platform/ML/Simd/Elementwise.h"
#include "Platform/ML/Simd/HeadProducts.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/Math/IntegerRounding.h"

#include <algorithm>
#include <cblas.h>
#include <cmath>
#include <vector>

namespace Platform::ML {
namespace {

// Query rows per task: a block's scores stay in its thread's cache.
constexpr int kBlockRows = 16;
// Multiply-adds below which one call is not worth spreading over threads:
// the self-attention of a single token over a few dozen positions.
constexpr long kParallelWork = 1L << 15;
// Positions per chunk of a single row's attention. Fixed, so that the sums
// come out the same whatever the number of threads.
constexpr int kChunkPositions = 64;
constexpr long kFloatsPerLine = 64 / sizeof(float);
// Keys from which a single row's attention over a cache kept by channel goes
// to several threads, a head or more each.
constexpr int kParallelHeadKeys = 16;
// Positions of half-precision keys and values a block of rows widens at a
// time: each thread keeps a slice's floats, not a whole window's.
constexpr int kWidenedPositions = 256;
const std::byte* halfBytes(const void* data, long offset)
{
    return static_cast<const std::byte*>(data) + 2 * offset;
}

// One head's keys and values of positions [0, count) of `span`, as floats that
// start at the head's first channel: the span's own memory when it holds
// floats, else widened into `keys` and `values`, laid out as the span is.
KeyValueSpan headOf(const KeyValueSpan& span, long column, int headWidth, int count, std::vector<float>& keys,
                    std::vector<float>& values)
{
    const long ps = span.positionStride, cs = span.channelStride;
    if (!span.halves)
        return {static_cast<const float*>(span.keys) + column * cs,
                static_cast<const float*>(span.values) + column * cs, ps, cs, count};
    const size_t size = static_cast<size_t>(count) * headWidth;
    keys.resize(std::max(keys.size(), size));
    values.resize(keys.size());
    if (cs == 1) {
        for (long j = 0; j < count; ++j) {
            widenHalfFloats(halfBytes(span.keys, j * ps + column), headWidth, keys.data() + j * headWidth);
            widenHalfFloats(halfBytes(span.values, j * ps + column), headWidth, values.data() + j * headWidth);
        }
        return {keys.data(), values.data(), headWidth, 1, count};
    }
    for (long d = 0; d < headWidth; ++d) {
        widenHalfFloats(halfBytes(span.keys, (column + d) * cs), count, keys.data() + d * count);
        widenHalfFloats(halfBytes(span.values, (column + d) * cs), count, values.data() + d * count);
    }
    // A single position is a position-major row as well; said so, no stride
    // is mistaken for the other.
    if (count == 1)
        return {keys.data(), values.data(), headWidth, 1, count};
    return {keys.data(), values.data(), 1, count, count};
}

// Positions [first, first + count) of `span`.
KeyValueSpan positionsOf(const KeyValueSpan& span, int first, int count)
{
    const long offset = first * span.positionStride * (span.halves ? 2 : 4);
    return {static_cast<const std::byte*>(span.keys) + offset,
            static_cast<const std::byte*>(span.values) + offset,
            span.positionStride,
            span.channelStride,
            count,
            span.halves};
}

// scores[r][j] = scale · Σ_d queries[r][d] · key(j, d) for r < rows, j < count.
// A single row goes through the matrix-vector routines, which stream the keys
// without copying them first.
// `head` holds floats from the head's first channel on.
void scoreKeys(const float* queries, long queryStride, int rows, int headWidth, const KeyValueSpan& head, float scale,
               float* scores, long scoreStride)
{
    const int count = head.count;
    if (count == 0)
        return;
    const auto* keys = static_cast<const float*>(head.keys);
    const long ps = head.positionStride, cs = head.channelStride;
    if (rows == 1 && cs == 1)
        cblas_sgemv(CblasRowMajor, CblasNoTrans, count, headWidth, scale, keys, ps, queries, 1, 0.0f, scores, 1);
    else if (rows == 1)
        cblas_sgemv(CblasRowMajor, CblasTrans, headWidth, count, scale, keys, cs, queries, 1, 0.0f, scores, 1);
    else if (cs == 1)
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasTrans, rows, count, headWidth, scale, queries, queryStride, keys,
                    ps, 0.0f, scores, scoreStride);
    else
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, rows, count, headWidth, scale, queries, queryStride,
                    keys, cs, 0.0f, scores, scoreStride);
}

// out[r][d] = Σ_j weights[r][j] · value(j, d) + beta · out[r][d] for r < rows, d < headWidth.
void weighValues(const float* weights, long weightStride, int rows, const KeyValueSpan& head, int headWidth, float beta,
                 float* out, long outStride)
{
    const int count = head.count;
    const auto* values = static_cast<const float*>(head.values);
    const long ps = head.positionStride, cs = head.channelStride;
    if (rows == 1 && cs == 1)
        cblas_sgemv(CblasRowMajor, CblasTrans, count, headWidth, 1.0f, values, ps, weights, 1, beta, out, 1);
    else if (rows == 1)
        cblas_sgemv(CblasRowMajor, CblasNoTrans, headWidth, count, 1.0f, values, cs, weights, 1, beta, out, 1);
    else if (cs == 1)
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, rows, headWidth, count, 1.0f, weights, weightStride,
                    values, ps, beta, out, outStride);
    else
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasTrans, rows, headWidth, count, 1.0f, weights, weightStride,
                    values, cs, beta, out, outStride);
}

} // namespace

CachedAttention::CachedAttention(int width, int heads, int maxKeys)
    : width_(width), heads_(heads), headWidth_(width / heads), maxKeys_(maxKeys),
      scores_(static_cast<size_t>(heads) * maxKeys)
{
    // The earlier keys' chunks and one more for the row's own key.
    const auto chunks = static_cast<size_t>(divideRoundingUp(maxKeys, kChunkPositions) + 1);
    partials_.resize(chunks * width);
    chunkMaxima_.resize(chunks * heads);
    chunkSums_.resize(chunks * heads);
    chunkFactors_.resize(chunks * heads);
}

void CachedAttention::compute(const float* queries, int rows, const KeyValueSpan& earlier, const KeyValueSpan* own,
                              float* out, float* weights)
{
    if (rows == 1 && earlier.channelStride != 1) {
        attendByHeads(queries, earlier, own, out, weights);
        return;
    }
    if (rows == 1) {
        attendInChunks(queries, earlier, own, out, weights);
        return;
    }
    const int blocks = divideRoundingUp(rows, kBlockRows);
    const long work = static_cast<long>(rows) * (earlier.count + (own ? own->count : 0)) * width_;
    const int threads = work < kParallelWork ? 1 : computeThreads();
    Platform::parallelFor(static_cast<long>(heads_) * blocks, 1, threads, [&](long begin, long end) {
        for (long task = begin; task < end; ++task) {
            const int firstRow = static_cast<int>(task % blocks) * kBlockRows;
            const bool last = firstRow + kBlockRows >= rows;
            attendBlock(static_cast<int>(task / blocks), firstRow, std::min(kBlockRows, rows - firstRow), queries,
                        earlier, own, out, last ? weights : nullptr);
        }
    });
}

void CachedAttention::attendBlock(int head, int firstRow, int rows, const float* queries, const KeyValueSpan& earlier,
                                  const KeyValueSpan* own, float* out, float* weights) const
{
    // Each thread's own scores, sized once for the longest row, and the
    // head's keys and values where they are widened from halves.
    thread_local std::vector<float> scores, earlierKeys, earlierValues, ownKeys, ownValues;
    scores.resize(std::max(scores.size(), static_cast<size_t>(kBlockRows) * maxKeys_));

    // The block's last row sees its own positions up to its own; the rows
    // before it see fewer, and the rest of their scores are zeroed.
    const int ownCount = own ? firstRow + rows : 0;
    const long stride = earlier.count + ownCount;
    const long column = static_cast<long>(head) * headWidth_;
    // Floats are read where they lie; halves are widened a slice at a time.
    const int slice = earlier.halves ? kWidenedPositions : std::max(earlier.count, 1);
    const auto earlierSlice = [&](int first) {
        const int count = std::min(slice, earlier.count - first);
        return headOf(positionsOf(earlier, first, count), column, headWidth_, count, earlierKeys, earlierValues);
    };
    const auto mine = own ? headOf(*own, column, headWidth_, ownCount, ownKeys, ownValues) : KeyValueSpan{};
    const float* q = queries + static_cast<long>(firstRow) * width_ + column;
    const float scale = 1.0f / std::sqrt(static_cast<float>(headWidth_));
    for (int first = 0; first < earlier.count; first += slice)
        scoreKeys(q, width_, rows, headWidth_, earlierSlice(first), scale, scores.data() + first, stride);
    if (own)
        scoreKeys(q, width_, rows, headWidth_, mine, scale, scores.data() + earlier.count, stride);
    for (int r = 0; r < rows; ++r) {
        float* row = scores.data() + r * stride;
        const long visible = own ? earlier.count + firstRow + r + 1 : stride;
        softmax(row, static_cast<int>(visible));
        std::fill(row + visible, row + stride, 0.0f);
    }
    if (weights) // the last row sees every key
        std::copy_n(scores.data() + (rows - 1) * stride, stride, weights + head * stride);

    float* target = out + static_cast<long>(firstRow) * width_ + column;
    for (int first = 0; first < earlier.count; first += slice)
        weighValues(scores.data() + first, stride, rows, earlierSlice(first), headWidth_, first > 0 ? 1.0f : 0.0f,
                    target, width_);
    if (own)
        weighValues(scores.data() + earlier.count, stride, rows, mine, headWidth_, earlier.count > 0 ? 1.0f : 0.0f,
                    target, width_);
}

void CachedAttention::attendByHeads(const float* query, const KeyValueSpan& earlier, const KeyValueSpan* own,
                                    float* out, float* weights)
{
    const int keys = earlier.count + (own ? own->count : 0);
    const int threads = keys < kParallelHeadKeys ? 1 : computeThreads();
    const float scale = 1.0f / std::sqrt(static_cast<float>(headWidth_));
    const int elementSize = earlier.halves ? 2 : 4;
    Platform::parallelFor(heads_, 1, threads, [&](long begin, long end) {
        for (int h = static_cast<int>(begin); h < end; ++h) {
            // The head's rows are short runs far apart, which the processor's
            // own prefetcher does not follow.
            const long rowBytes = static_cast<long>(h) * headWidth_ * earlier.channelStride * elementSize;
            prefetchRows(static_cast<const char*>(earlier.keys) + rowBytes, earlier.channelStride, headWidth_, 0,
                         earlier.count, elementSize);
            prefetchRows(static_cast<const char*>(earlier.values) + rowBytes, earlier.channelStride, headWidth_, 0,
                         earlier.count, elementSize);
            // scores_ is [head][key], the earlier keys first, then the row's own.
            float* row = scores_.data() + static_cast<long>(h) * keys;
            scoreChunk(query, earlier, 0, earlier.count, scale, row, keys, h, 1);
            if (own)
                scoreChunk(query, *own, 0, own->count, scale, row + earlier.count, keys, h, 1);
            softmax(row, keys);
            float* target = out + static_cast<long>(h) * headWidth_;
            std::fill(target, target + headWidth_, 0.0f);
            weighChunk(row, keys, earlier, 0, earlier.count, out, h, 1);
            if (own)
                weighChunk(row + earlier.count, keys, *own, 0, own->count, out, h, 1);
            if (weights)
                std::copy_n(row, keys, weights + static_cast<long>(h) * keys);
        }
    });
}

void CachedAttention::attendInChunks(const float* query, const KeyValueSpan& earlier, const KeyValueSpan* own,
                                     float* out, float* weights)
{
    const int earlierChunks = divideRoundingUp(earlier.count, kChunkPositions);
    const int chunks = earlierChunks + (own ? 1 : 0);
    const int keys = earlier.count + (own ? own->count : 0);
    const int threads = static_cast<long>(keys) * width_ < kParallelWork ? 1 : computeThreads();
    const float scale = 1.0f / std::sqrt(static_cast<float>(headWidth_));
    // scores_ is [head][key], the earlier keys first, then the row's own.
    float* scores = scores_.data();
    Platform::parallelFor(chunks, 1, threads, [&](long begin, long end) {
        for (long chunk = begin; chunk < end; ++chunk) {
            const bool mine = chunk == earlierChunks;
            const KeyValueSpan& span = mine ? *own : earlier;
            const int first = mine ? 0 : static_cast<int>(chunk) * kChunkPositions;
            const int last = mine ? own->count : std::min(earlier.count, first + kChunkPositions);
            attendChunk(query, span, first, last, scale, mine ? scores + earlier.count : scores, keys, chunk);
        }
    });
    combineChunks(earlier.count, chunks, out, weights);
}

void CachedAttention::attendChunk(const float* query, const KeyValueSpan& span, int first, int last, float scale,
                                  float* scores, int scoreStride, long chunk)
{
    scoreChunk(query, span, first, last, scale, scores, scoreStride, 0, heads_);
    // Each head's scores become exponentials relative to the chunk's own
    // largest; combineChunks brings the chunks to one scale.
    for (int h = 0; h < heads_; ++h) {
        float* row = scores + static_cast<long>(h) * scoreStride + first;
        const float largest = maximum(row, last - first);
        chunkMaxima_[chunk * heads_ + h] = largest;
        chunkSums_[chunk * heads_ + h] = exponentiate(row, last - first, largest);
    }
    float* partial = partials_.data() + chunk * width_;
    std::fill(partial, partial + width_, 0.0f);
    weighChunk(scores, scoreStride, span, first, last, partial, 0, heads_);
}

void CachedAttention::scoreChunk(const float* query, const KeyValueSpan& span, int first, int last, float scale,
                                 float* scores, int scoreStride, int firstHead, int heads) const
{
    const bool byPosition = span.channelStride == 1;
    const long stride = byPosition ? span.positionStride : span.channelStride;
    const long column = static_cast<long>(firstHead) * headWidth_;
    const long offset = column * span.channelStride;
    query += column;
    if (span.halves) {
        const auto* keys = static_cast<const Float16*>(span.keys) + offset;
        if (byPosition)
            scoreAllHeads(query, keys, stride, first, last, heads, headWidth_, scale, scores, scoreStride);
        else
            scoreAllHeadsByChannel(query, keys, stride, first, last, heads, headWidth_, scale, scores, scoreStride);
        return;
    }
    const auto* keys = static_cast<const float*>(span.keys) + offset;
    if (byPosition)
        scoreAllHeads(query, keys, stride, first, last, heads, headWidth_, scale, scores, scoreStride);
    else
        scoreAllHeadsByChannel(query, keys, stride, first, last, heads, headWidth_, scale, scores, scoreStride);
}

void CachedAttention::weighChunk(const float* weights, int weightStride, const KeyValueSpan& span, int first, int last,
                                 float* out, int firstHead, int heads) const
{
    const bool byPosition = span.channelStride == 1;
    const long stride = byPosition ? span.positionStride : span.channelStride;
    const long column = static_cast<long>(firstHead) * headWidth_;
    const long offset = column * span.channelStride;
    out += column;
    if (span.halves) {
        const auto* values = static_cast<const Float16*>(span.values) + offset;
        if (byPosition)
            weighAllHeads(weights, weightStride, values, stride, first, last, heads, headWidth_, out);
        else
            weighAllHeadsByChannel(weights, weightStride, values, stride, first, last, heads, headWidth_, out);
        return;
    }
    const auto* values = static_cast<const float*>(span.values) + offset;
    if (byPosition)
        weighAllHeads(weights, weightStride, values, stride, first, last, heads, headWidth_, out);
    else
        weighAllHeadsByChannel(weights, weightStride, values, stride, first, last, heads, headWidth_, out);
}

void CachedAttention::combineChunks(int earlierKeys, int chunks, float* out, float* weights)
{
    const int earlierChunks = divideRoundingUp(earlierKeys, kChunkPositions);
    const int keys = earlierKeys + (chunks - earlierChunks);
    // The partials lie in other threads' caches: ask for them all at once,
    // while the factors are worked out.
    const long partialFloats = static_cast<long>(chunks) * width_;
    for (long i = 0; i < partialFloats; i += kFloatsPerLine)
        __builtin_prefetch(partials_.data() + i);
    // factors[chunk][head] brings each chunk's exponentials to one scale and
    // divides by the head's total.
    float* factors = chunkFactors_.data();
    for (int h = 0; h < heads_; ++h) {
        float largest = -INFINITY;
        for (int chunk = 0; chunk < chunks; ++chunk)
            largest = std::max(largest, chunkMaxima_[chunk * heads_ + h]);
        float total = 0.0f;
        for (int chunk = 0; chunk < chunks; ++chunk) {
            factors[chunk * heads_ + h] = std::exp(chunkMaxima_[chunk * heads_ + h] - largest);
            total += factors[chunk * heads_ + h] * chunkSums_[chunk * heads_ + h];
        }
        for (int chunk = 0; chunk < chunks; ++chunk)
            factors[chunk * heads_ + h] /= total;
    }
    // Chunk after chunk, so that the partials, which other threads wrote, are
    // read as one stream rather than a few lines from each chunk per head.
    // Each output adds the chunks in their order, whatever thread made them:
    // the same answer for any number of threads.
    std::fill(out, out + width_, 0.0f);
    for (int chunk = 0; chunk < chunks; ++chunk) {
        const float* partial = partials_.data() + static_cast<long>(chunk) * width_;
        for (int h = 0; h < heads_; ++h)
            addScaled(out + static_cast<long>(h) * headWidth_, partial + static_cast<long>(h) * headWidth_,
                      factors[chunk * heads_ + h], headWidth_);
    }
    if (!weights)
        return;
    // Chunk by chunk, so that each is one vectorised scaling.
    for (int h = 0; h < heads_; ++h) {
        const float* row = scores_.data() + static_cast<long>(h) * keys;
        float* weightRow = weights + static_cast<long>(h) * keys;
        for (int chunk = 0; chunk < chunks; ++chunk) {
            const bool mine = chunk == earlierChunks;
            const int first = mine ? earlierKeys : chunk * kChunkPositions;
            const int last = mine ? keys : std::min(earlierKeys, first + kChunkPositions);
            const float factor = factors[chunk * heads_ + h];
            for (int k = first; k < last; ++k)
                weightRow[k] = row[k] * factor;
        }
    }
}

} // namespace Platform::ML
