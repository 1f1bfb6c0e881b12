#pragma once

#include "Platform/ML/Tensor/WeightMatrix.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Platform::ML {

// The sizes that define a Whisper-architecture model.
struct WhisperHyperParameters {
    int32_t nVocab = 0;
    int32_t nAudioCtx = 0;
    int32_t nAudioState = 0;
    int32_t nAudioHead = 0;
    int32_t nAudioLayer = 0;
    int32_t nTextCtx = 0;
    int32_t nTextState = 0;
    int32_t nTextHead = 0;
    int32_t nTextLayer = 0;
    int32_t nMels = 0;
    int32_t ftype = 0;
};

// Samples per second of the audio every model hears.
inline constexpr int kSampleRate = 16000;
// Frequency bins of the 400-point FFT the mel filter bank is defined over.
inline constexpr int kMelFftBins = 201;
// Samples per mel frame, and mel frames per encoder position.
inline constexpr int kMelHop = 160;
inline constexpr int kSamplesPerEncoderPosition = 2 * kMelHop;

// A dense layer: weight is [out][in], bias has `out` entries or is null.
struct Linear {
    WeightMatrix weight;
    const float* bias = nullptr;

    int in() const { return weight.columns; }
    int out() const { return weight.rows; }
};

struct LayerNormWeights {
    const float* weight = nullptr;
    const float* bias = nullptr;
};

struct AttentionWeights {
    Linear query;
    Linear key; // no bias
    Linear value;
    Linear out;
};

struct EncoderBlockWeights {
    LayerNormWeights attnLn;
    AttentionWeights attn;
    LayerNormWeights mlpLn;
    Linear mlp0;
    Linear mlp2;
};

struct DecoderBlockWeights {
    LayerNormWeights attnLn;
    AttentionWeights attn;
    LayerNormWeights crossAttnLn;
    AttentionWeights crossAttn;
    LayerNormWeights mlpLn;
    Linear mlp0;
    Linear mlp2;
};

struct EncoderWeights {
    const float* positionalEmbedding = nullptr; // [nAudioCtx][nAudioState]
    // Kernel-3 convolutions as products over unrolled inputs: weights
    // [nAudioState][channels·3], channels nMels for conv1, nAudioState for conv2.
    Linear conv1;
    Linear conv2;
    std::vector<EncoderBlockWeights> blocks;
    LayerNormWeights lnPost;
};

struct DecoderWeights {
    const float* positionalEmbedding = nullptr; // [nTextCtx][nTextState]
    WeightMatrix tokenEmbedding;                // [nVocab][nTextState]
    std::vector<DecoderBlockWeights> blocks;
    LayerNormWeights ln;
};

// A loaded model: read-only after loading, so any number of threads may run
// it at once. The weights point into memory that `storage` keeps alive,
// whatever holds it (a buffer the file was read into, a mapping); the model
// is movable but not copyable so they stay valid.
struct WhisperModel {
    WhisperHyperParameters hparams;
    std::vector<float> melFilters; // [nMels][kMelFftBins]
    std::vector<std::string> vocabulary; // byte pieces of the ordinary tokens
    EncoderWeights encoder;
    DecoderWeights decoder;
    std::shared_ptr<const void> storage;

    WhisperModel() = default;
    WhisperModel(WhisperModel&&) = default;
    WhisperModel& operator=(WhisperModel&&) = default;
    WhisperModel(const WhisperModel&) = delete;
    WhisperModel& operator=(const WhisperModel&) = delete;

    // Samples of one audio window: 30 s for the real models.
    int windowSamples() const { return hparams.nAudioCtx * kSamplesPerEncoderPosition; }
    int melFrames() const { return 2 * hparams.nAudioCtx; }
};

} // namespace Platform::ML
