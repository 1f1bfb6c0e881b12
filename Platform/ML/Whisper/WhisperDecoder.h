#pragma once

#include "Platform/ML/Ops/CachedAttention.h"
#include "Platform/ML/Tensor/Float16.h"
#include "Platform/ML/Whisper/WhisperModel.h"
#include "Platform/Memory/LargeBuffer.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace Platform::ML {

// Cross-attention keys and values of every decoder layer: they depend only on
// the encoder output, so they are computed once per window. Kept as halves:
// every decoded token reads them all, and half the bytes is half the time.
// Layout: [layer][nAudioCtx][nTextState].
struct CrossAttentionCache {
    LargeVector<Float16> keys;
    LargeVector<Float16> values;
};

// The same keys and values where a caller keeps them.
struct CrossAttentionSpan {
    const Float16* keys = nullptr;
    const Float16* values = nullptr;
};

// Where the self-attention keys and values of earlier positions live, as
// floats or as halves. The strides say how far apart, in elements,
// consecutive layers, positions and channels are; one of positionStride and
// channelStride must be 1. A
// position-major cache [layer][position][channel] and a channel-major cache
// [layer·channel][position] are both views of this kind.
struct KeyValueCacheView {
    const void* keys = nullptr;
    const void* values = nullptr;
    long layerStride = 0;
    long positionStride = 0;
    long channelStride = 0;
    bool halves = false;
    // How many of the view's positions the tokens attend to, from its first
    // on. Unset: every position before the first token, as in a cache that
    // fills in order. A caller that gathers just the positions a token may
    // see, wherever they lie in its own cache, gives their number.
    std::optional<int> positions;

    static KeyValueCacheView positionMajor(const float* keys, const float* values, int capacity, int width,
                                           std::optional<int> positions = std::nullopt);
    static KeyValueCacheView positionMajor(const Float16* keys, const Float16* values, int capacity, int width,
                                           std::optional<int> positions = std::nullopt);
    static KeyValueCacheView channelMajor(const float* keys, const float* values, int capacity, int width,
                                          std::optional<int> positions = std::nullopt);
    static KeyValueCacheView channelMajor(const Float16* keys, const Float16* values, int capacity, int width,
                                          std::optional<int> positions = std::nullopt);

    // The first `count` positions of one layer.
    KeyValueSpan layer(long index, int count) const;
};

// Runs the text decoder over one token at a time or over several at once.
// Holds the scratch of one caller; the model is only read, so one decoder per
// thread may share a model. Nothing is allocated once the decoder has run a
// batch as long as the ones that follow.
class WhisperDecoder {
public:
    explicit WhisperDecoder(const WhisperModel& model);

    // Elements of one window's cross-attention keys, as many as of its values.
    std::size_t crossAttentionSize() const;

    // Fills `cache` (allocated on first use), or `keys` and `values`, from one
    // window's encoder output [nAudioCtx][nAudioState].
    void computeCrossAttention(const float* encoderOutput, CrossAttentionCache& cache);
    void computeCrossAttention(const float* encoderOutput, Float16* keys, Float16* values);

    // Runs `tokens` at positions firstPosition onwards as one batch: each
    // attends to the cache's positions (by default [0, firstPosition)), to
    // the tokens before it in the batch and to itself. Writes their keys and
    // values, [layer][token][nTextState], to newKeys and newValues so the
    // caller can put them into its cache, and the last token's logits over
    // the vocabulary to `logits` unless that is null. The same numbers as one
    // step per token, but every weight is read once for the whole batch.
    // `crossWeights`, unless null, receives the last token's cross-attention
    // weights over the audio, [layer][head][nAudioCtx].
    void decode(std::span<const int> tokens, int firstPosition, const KeyValueCacheView& cache,
                const CrossAttentionSpan& cross, float* newKeys, float* newValues, float* logits,
                float* crossWeights = nullptr);
    void decode(std::span<const int> tokens, int firstPosition, const KeyValueCacheView& cache,
                const CrossAttentionCache& cross, float* newKeys, float* newValues, float* logits,
                float* crossWeights = nullptr);

    // decode() of the single token at `position`.
    void step(int token, int position, const KeyValueCacheView& cache, const CrossAttentionCache& cross, float* newKeys,
              float* newValues, float* logits);

private:
    void reserveRows(int rows);

    const WhisperModel& model_;
    int width_;
    CachedAttention attention_;
    int rowCapacity_ = 0;
    // One row per token of the batch; hidden_ is four widths wide.
    std::vector<float> x_, normed_, query_, attended_, projected_, hidden_;
    // A block of audio positions' cross-attention keys or values before they
    // are rounded to halves.
    std::vector<float> crossBlock_;
};

} // namespace Platform::ML
