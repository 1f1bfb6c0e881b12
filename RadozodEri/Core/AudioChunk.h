#pragma once

#include <cstdint>
#include <vector>

namespace RadozodEri {

// One piece of a long recording cut at silences.
struct AudioChunk {
    // Sample index in the whole recording where the chunk starts.
    std::int64_t seekOffsetIndex = 0;
    std::vector<float> audioSamples {};
};

} // namespace RadozodEri
