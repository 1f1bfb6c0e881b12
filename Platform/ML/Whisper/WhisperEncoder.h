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

    // mel: [nMels][2·nAudioCtx] mel-major. out: [nAudioCtx][nAudioState].
    void encode(const float* mel, float* out);

private:
    void attention(const EncoderBlockWeights& block, float* x);

    const WhisperModel& model_;
    int positions_;
    int width_;
    FullAttention fullAttention_;
    std::vector<float> columns_; // convolution inputs unrolled per output position
    std::vector<float> conv1_;   // [2·positions][width]
    std::vector<float> normed_;
    std::vector<float> query_, key_, value_, attended_;
    std::vector<float> hidden_;  // [positions][4·width]
};

} // namespace Platform::ML
