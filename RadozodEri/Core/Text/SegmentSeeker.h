#pragma once

#include "RadozodEri/Core/Text/SegmentSeeking.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace RadozodEri {

// The engine's seeker: segments run from timestamp pair to timestamp pair,
// and word times come from the path through the alignment weights that
// collects the most weight.
class SegmentSeeker : public SegmentSeeking {
public:
    // A path through a token × frame matrix: token rows and frame columns,
    // from the matrix's start to its end.
    struct AlignmentPath {
        std::vector<int> textIndices;
        std::vector<int> timeIndices;

        bool operator==(const AlignmentPath&) const = default;
    };

    struct WordDurationConstraints {
        float median;
        float max;
    };

    // WhisperError segmentingFailed when the window has fewer log
    // probabilities than tokens.
    std::pair<std::int64_t, std::optional<std::vector<TranscriptionSegment>>>
    findSeekPointAndSegments(const DecodingResult& decodingResult, const DecodingOptions& options,
                             std::int64_t allSegmentsCount, std::int64_t currentSeek, std::int64_t segmentSize,
                             int sampleRate, int timeToken, int specialToken,
                             const WhisperTokenizer& tokenizer) override;

    // Always a list. WhisperError segmentingFailed for weights without a
    // dimension or with fewer rows than the segments have tokens, and for a
    // segment with fewer log probabilities than tokens.
    std::optional<std::vector<TranscriptionSegment>>
    addWordTimestamps(const std::vector<TranscriptionSegment>& segments,
                      const Platform::CoreML::MLMultiArray& alignmentWeights, const WhisperTokenizer& tokenizer,
                      std::int64_t seek, std::int64_t segmentSize, std::string_view prependPunctuations,
                      std::string_view appendPunctuations, float lastSpeechTimestamp, const DecodingOptions& options,
                      const TranscriptionTimings& timings) override;

    // The monotonic path through a two-dimensional matrix that collects the
    // most weight; WhisperError segmentingFailed "Invalid alignment matrix
    // shape" for any other number of dimensions.
    static AlignmentPath dynamicTimeWarping(const Platform::CoreML::MLMultiArray& matrix);

    // The words of the tokens (one matrix row each), timed in seconds from the
    // window's start; none for fewer than two words. WhisperError
    // segmentingFailed when the matrix has fewer rows, or `tokenLogProbs`
    // fewer entries, than there are tokens.
    static std::vector<WordTiming> findAlignment(const std::vector<int>& wordTokenIds,
                                                 const Platform::CoreML::MLMultiArray& alignmentWeights,
                                                 const std::vector<float>& tokenLogProbs,
                                                 const WhisperTokenizer& tokenizer,
                                                 const std::optional<TranscriptionTimings>& timings = std::nullopt);

    // The median of the positive word durations, at most 0.7 s, and twice it.
    static WordDurationConstraints calculateWordDurationConstraints(const std::vector<WordTiming>& alignment);

    // Words longer than `maxDuration` that are sentence ends, or that follow
    // one, are cut to it at the side away from the sentence boundary.
    static std::vector<WordTiming> truncateLongWordsAtSentenceBoundaries(std::vector<WordTiming> alignment,
                                                                         float maxDuration);

    // Joins opening punctuation to the word after it and closing punctuation
    // to the word before it; a run of such marks joins as a whole.
    static std::vector<WordTiming> mergePunctuations(const std::vector<WordTiming>& alignment,
                                                     std::string_view prepended, std::string_view appended);

    // The segments with their words in absolute, rounded times, word and
    // segment boundaries adjusted against each other and against the end of
    // the previous speech.
    static std::vector<TranscriptionSegment>
    updateSegmentsWithWordTimings(std::vector<TranscriptionSegment> segments,
                                  const std::vector<WordTiming>& mergedAlignment, std::int64_t seek,
                                  float lastSpeechTimestamp, float constrainedMedianDuration, float maxDuration,
                                  const WhisperTokenizer& tokenizer);
};

} // namespace RadozodEri
