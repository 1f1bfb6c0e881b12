#pragma once

#include <vector>

namespace Platform::ML {

// Keys and values of `count` consecutive positions held elsewhere, as floats
// or, where `halves`, as 16-bit floats (Float16): key(j, c) =
// keys[j·positionStride + c·channelStride], values alike. One of the two
// strides must be 1.
struct KeyValueSpan {
    const void* keys = nullptr;
    const void* values = nullptr;
    long positionStride = 0;
    long channelStride = 0;
    int count = 0;
    bool halves = false;
};

// Scaled dot-product attention of a few query rows over keys and values that
// were computed before: the decoder's self-attention over its cache and its
// cross-attention over the encoder output. Each head works on its slice of
// the width. Several rows run as heads × blocks of rows side by side on
// computeThreads() threads; a single row reads the keys and values start to
// end in chunks side by side, all heads at once, each chunk's keys and values
// together, or, where they are kept by channel, one head per piece of work,
// which reads whole rows rather than a short piece of every row. Halves are
// widened as they are read (in registers, or a head at a time for the matrix
// routines), so a cache of halves costs half the memory traffic and gives the
// numbers of its values widened beforehand. Holds the scratch of one caller.
class CachedAttention {
public:
    // No row will see more than `maxKeys` keys in all.
    CachedAttention(int width, int heads, int maxKeys);

    // queries and out are [rows][width]. Row i attends to every position of
    // `earlier` and, when `own` holds the rows' own keys and values (one per
    // row), to own positions 0 to i. There is at least one key. `weights`,
    // unless null, receives the last row's attention weights, [head][key]
    // (earlier keys first).
    void compute(const float* queries, int rows, const KeyValueSpan& earlier, const KeyValueSpan* own, float* out,
                 float* weights = nullptr);

private:
    void attendBlock(int head, int firstRow, int rows, const float* queries, const KeyValueSpan& earlier,
                     const KeyValueSpan* own, float* out, float* weights) const;
    void attendInChunks(const float* query, const KeyValueSpan& earlier, const KeyValueSpan* own, float* out,
                        float* weights);
    void attendChunk(const float* query, const KeyValueSpan& span, int first, int last, float scale, float* scores,
                     int scoreStride, long chunk);
    void attendByHeads(const float* query, const KeyValueSpan& earlier, const KeyValueSpan* own, float* out,
                       float* weights);
    // Heads [firstHead, firstHead + heads) of positions [first, last).
    void scoreChunk(const float* query, const KeyValueSpan& span, int first, int last, float scale, float* scores,
                    int scoreStride, int firstHead, int heads) const;
    void weighChunk(const float* weights, int weightStride, const KeyValueSpan& span, int first, int last, float* out,
                    int firstHead, int heads) const;
    void combineChunks(int earlierKeys, int chunks, float* out, float* weights);

    int width_;
    int heads_;
    int headWidth_;
    int maxKeys_;
    // A single row's chunks: each one's exponentials of the scores, relative
    // to its own largest score per head, their sums and the values weighed by
    // them, so one pass over the keys and values does the whole attention.
    std::vector<float> scores_;       // [head][position]
    std::vector<float> partials_;     // [chunk][width]
    std::vector<float> chunkMaxima_;  // [chunk][head]
    std::vector<float> chunkSums_;    // [chunk][head]
    std::vector<float> chunkFactors_; // [chunk][head]
};

} // namespace Platform::ML
