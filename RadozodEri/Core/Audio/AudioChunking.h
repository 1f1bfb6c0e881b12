#pragma once

#include "RadozodEri/Core/AudioChunk.h"
#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/TranscriptionResult.h"
#include "RadozodEri/Utilities/Extensions.h"

#include <memory>
#include <optional>
#include <vector>

namespace RadozodEri {

// Cuts a long recording into chunks of at most one model window, to be
// transcribed on their own.
class AudioChunking {
public:
    virtual ~AudioChunking() = default;

    // The chunks, each with its start in the whole recording. Throws
    // WhisperError.
    virtual std::vector<AudioChunk> chunkAll(const std::vector<float>& audioArray, std::int64_t maxChunkLength,
                                             const std::optional<DecodingOptions>& decodeOptions) = 0;

    // Moves the results of chunk i (outcome i) onto the whole recording's
    // timeline: segments by the chunk's start, in seconds and in samples, and
    // each result's seekTime to it. Failed chunks are logged and left out.
    static std::vector<std::shared_ptr<TranscriptionResult>>
    updateSeekOffsetsForResults(const std::vector<TranscriptionOutcome>& chunkedResults,
                                const std::vector<AudioChunk>& audioChunks);
};

} // namespace RadozodEri
