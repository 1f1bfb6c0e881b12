#pragma once

#include "Platform/CoreML/MLMultiArray.h"
#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/DecodingResult.h"
#include "RadozodEri/Core/TranscriptionSegment.h"
#include "RadozodEri/Core/TranscriptionTimings.h"
#include "RadozodEri/Core/WhisperTokenizer.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace RadozodEri {

// Cuts a decoded window into timed segments, says where the next window
// starts, and times the segments' words.
class SegmentSeeking {
public:
    virtual ~SegmentSeeking() = default;

    // The sample position of the next window and the window's segments
    // (none when it is skipped as silence). `currentSeek` and `segmentSize`
    // are sample counts; `allSegmentsCount` is the id of the first new
    // segment; `timeToken` is the first timestamp token.
    virtual std::pair<std::int64_t, std::optional<std::vector<TranscriptionSegment>>>
    findSeekPointAndSegments(const DecodingResult& decodingResult, const DecodingOptions& options,
                             std::int64_t allSegmentsCount, std::int64_t currentSeek, std::int64_t segmentSize,
                             int sampleRate, int timeToken, int specialToken, const WhisperTokenizer& tokenizer) = 0;

    // The segments with their words timed from the decoder's alignment
    // weights (one row per token of the window, one column per audio
    // position). `lastSpeechTimestamp` is where speech last ended before the
    // window, in seconds.
    virtual std::optional<std::vector<TranscriptionSegment>>
    addWordTimestamps(const std::vector<TranscriptionSegment>& segments,
                      const Platform::CoreML::MLMultiArray& alignmentWeights, const WhisperTokenizer& tokenizer,
                      std::int64_t seek, std::int64_t segmentSize, std::string_view prependPunctuations,
                      std::string_view appendPunctuations, float lastSpeechTimestamp, const DecodingOptions& options,
                      const TranscriptionTimings& timings) = 0;
};

} // namespace RadozodEri
