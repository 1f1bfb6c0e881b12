#pragma once

#include <cstddef>

namespace Platform::ML {

// Scaled dot-product attention of every position over every position, each
// head on its own slice of the width: the encoder's self-attention. The heads
// and blocks of query rows run side by side on computeThreads() threads, each
// product on one thread; the scores of a block never leave that thread.
class FullAttention {
public:
    FullAttention(int positions, int width, int heads);

    // Floats of the workspace compute() needs.
    std::size_t workspaceSize() const;

    // query, key, value and out are [positions][width]; head h owns columns
    // h·width/heads onwards. out[t] = Σ_s softmax_s(query[t]·key[s] / √headWidth) value[s].
    // The workspace holds the keys and values rearranged; the caller lends it
    // (whatever it holds) so that memory between calls serves other work.
    void compute(const float* query, const float* key, const float* value, float* out, float* workspace);

private:
    void attendBlock(int head, int firstRow, int rows, const float* query, const float* keysByDepth,
                     const float* paddedValues, float* out) const;

    int positions_;
    int width_;
    int heads_;
    int headWidth_;
    int paddedPositions_;
    int paddedHeadWidth_;
};

} // namespace Platform::ML
