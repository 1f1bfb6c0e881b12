#pragma once

#include "RadozodEri/Core/TranscriptionTimings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace RadozodEri {

// What the decoder reports to the caller after each token of a window.
struct TranscriptionProgress {
    TranscriptionTimings timings {};
    // Decoded so far in the window.
    std::string text {};
    std::vector<int> tokens {};
    std::optional<float> temperature {};
    std::optional<float> avgLogprob {};
    std::optional<float> compressionRatio {};
    // Which window of the transcription the report belongs to.
    std::int64_t windowId = 0;
};

} // namespace RadozodEri
