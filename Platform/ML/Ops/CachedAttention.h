#pragma once

namespace Platform::ML {

// Keys and values of `count` consecutive positions held elsewhere:
// key(j, c) = keys[j·positionStride + c·channelStride], values alike. One of
// the two strides must be 1.
struct KeyValueSpan {
    const float* keys = nullptr;
    const float* values = nullptr;
    long positionStride = 0;
    long channelStride = 0;
    int count = 0;
};

// Scaled dot-product attention of a few query rows over keys and values that
// were computed before: the decoder's self-attention over its cache and its
// cross-attention over the encoder output. Each head works on its slice of
// the width; heads and blocks of rows run side by side on computeThreads()
// threads. Holds no state, so one object serves any number of callers.
class CachedAttention {
public:
    // No row will see more than `maxKeys` keys in all.
    CachedAttention(int width, int heads, int maxKeys);

    // queries and out are [rows][width]. Row i attends to every position of
    // `earlier` and, when `own` holds the rows' own keys and values (one per
    // row), to own positions 0 to i.
    void compute(const float* queries, int rows, const KeyValueSpan& earlier, const KeyValueSpan* own,
                 float* out) const;

private:
    void attendBlock(int head, int firstRow, int rows, const float* queries, const KeyValueSpan& earlier,
                     const KeyValueSpan* own, float* out) const;

    int width_;
    int heads_;
    int headWidth_;
    int maxKeys_;
};

} // namespace Platform::ML
