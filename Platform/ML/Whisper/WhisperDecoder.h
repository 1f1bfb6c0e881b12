#pragma once

#include "Platform/ML/Whisper/WhisperModel.h"

#include <vector>

namespace Platform::ML {

// Cross-attention keys and values of every decoder layer: they depend only on
// the encoder output, so they are computed once per window.
// Layout: [layer][nAudioCtx][nTextState].
struct CrossAttentionCache {
    std::vector<float> keys;
    std::vector<float> values;
};

// Where the self-attention keys and values of earlier positions live. The
// strides say how far apart, in floats, consecutive layers, positions and
// channels are; one of positionStride and channelStride must be 1. A
// position-major cache [layer][position][channel] and a channel-major cache
// [layer·channel][position] are both views of this kind.
struct KeyValueCacheView {
    const float* keys = nullptr;
    const float* values = nullptr;
    long layerStride = 0;
    long positionStride = 0;
    long channelStride = 0;

    static KeyValueCacheView positionMajor(const float* keys, const float* values, int capacity, int width);
    static KeyValueCacheView channelMajor(const float* keys, const float* values, int capacity, int width);
};

// One decoding step at a time. Holds the scratch of one caller; the model is
// only read, so one decoder per thread may share a model. Nothing is
// allocated after construction.
class WhisperDecoder {
public:
    explicit WhisperDecoder(const WhisperModel& model);

    // Fills `cache` (allocated on first use) from one window's encoder output
    // [nAudioCtx][nAudioState].
    void computeCrossAttention(const float* encoderOutput, CrossAttentionCache& cache) const;

    // Runs `token` at `position`: it attends to cache positions [0, position)
    // and to itself. Writes its own keys and values, [layer][nTextState], to
    // newKeys and newValues so the caller can put them into its cache, and the
    // logits over the vocabulary to `logits` unless that is null.
    void step(int token, int position, const KeyValueCacheView& cache,
              const CrossAttentionCache& cross, float* newKeys, float* newValues, float* logits);

private:
    const WhisperModel& model_;
    int width_;
    int heads_;
    std::vector<float> x_, normed_, query_, attended_, projected_, hidden_, scores_;
};

} // namespace Platform::ML
