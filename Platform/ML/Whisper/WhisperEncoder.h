#pragma once

#include "Platform/ML/Ops/FullAttention.h"
#include "Platform/ML/Whisper/WhisperModel.h"
#include "Platform/Memory/LargeBuffer.h"

#include <cstddef>

namespace Platform::ML {

// Runs the audio encoder over one window. Holds the scratch of one caller;
// the model is only read, so one encoder per thread may share a model.
class WhisperEncoder {
public:
    explicit WhisperEncoder(const WhisperModel& model);

    // Floats of scratch one window takes.
    std::size_t scratchSize() const;

    // mel: [nMels][2·nAudioCtx] mel-major. out: [nAudioCtx][nAudioState].
    // The first form keeps scratch of its own from the first call on; the
    // second works in `scratch` (scratchSize() floats, apart from mel and
    // out), which the caller may use for other work between windows.
    void encode(const float* mel, float* out);
    void encode(const float* mel, float* out, float* scratch);

private:
    void attention(const EncoderBlockWeights& block, float* x, float* scratch);

    const WhisperModel& model_;
    int positions_;
    int width_;
    FullAttention fullAttention_;
    LargeVector<float> ownScratch_;
};

} // namespace Platform::ML
