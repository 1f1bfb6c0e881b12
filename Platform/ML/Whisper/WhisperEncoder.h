#pragma once

#include "Platform/ML/Ops/FullAttention.h"
#include "Platform/ML/Whisper/WhisperModel.h"

#include <vector>

namespace Platform::ML {

// Runs the audio encoder over one window. Holds the scratch of one caller;
// the model is only read, so one encoder per thread may share a model.
class WhisperEncoder {
public:
    explicit WhisperEncoder(const WhisperModel& model);
    // Its buffers point into its own memory: a copy would share them, a move
    // takes them along.
    WhisperEncoder(const WhisperEncoder&) = delete;
    WhisperEncoder& operator=(const WhisperEncoder&) = delete;
    WhisperEncoder(WhisperEncoder&&) = default;

    // mel: [nMels][2·nAudioCtx] mel-major. out: [nAudioCtx][nAudioState].
    void encode(const float* mel, float* out);

private:
    void attention(const EncoderBlockWeights& block, float* x);

    const WhisperModel& model_;
    int positions_;
    int width_;
    FullAttention fullAttention_;
    // The convolutions' buffers and the blocks' share one piece of memory:
    // the first are done with before the second are used, and a kept
    // encoder holds half the memory it would otherwise.
    std::vector<float> scratch_;
    float* conv1_;   // [2·positions][width]
    float* columns_; // convolution inputs unrolled per output position
    float *query_, *key_, *value_, *attended_;
    float* hidden_;  // [positions][4·width]
    std::vector<float> normed_;
};

} // namespace Platform::ML
