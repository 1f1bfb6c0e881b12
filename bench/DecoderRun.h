#pragma once

#include "Platform/ML/Tensor/Float16.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"
#include "Platform/ML/Whisper/WhisperModel.h"

#include <vector>

namespace QelBench {

// Tokens of a long window, beside the model folders' figure.
inline constexpr int kWindowTokens = 224;

// The engine library's decoder after one window's encoder of the bench
// audio, with a position-major cache of halves that keeps what each call
// returns, as the transcriber keeps it. Its tokens are the start sequence,
// then ordinary tokens.
class DecoderRun {
public:
    explicit DecoderRun(const Platform::ML::WhisperModel& model);

    // The window's cross-attention, as each window starts.
    void newWindow();

    // Runs tokens [first, first + count) as one batch, with the logits of the
    // last when asked.
    void decode(int first, int count, bool logits = true);

private:
    const Platform::ML::WhisperModel& model_;
    Platform::ML::WhisperDecoder decoder_;
    std::vector<float> audio_;
    Platform::ML::CrossAttentionCache cross_;
    std::vector<int> tokens_;
    std::vector<Platform::ML::Float16> keys_, values_;
    std::vector<float> newKeys_, newValues_, logits_;
};

} // namespace QelBench
