#include "RadozodEri/Core/Text/SegmentSeeker.h"

#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"
#include "RuntimeCore/Logging/Logging.h"
#include "RuntimeCore/Models/MultiArrayHelpers.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace RadozodEri {

namespace {

constexpr int sampleRate = 16000;
// A word may not outlast a typical word by far; a quiet stretch is longer.
constexpr float longestMedianDuration = 0.7f;
constexpr std::array<std::string_view, 6> sentenceEndMarks{".", "。", "!", "！", "?", "？"};

bool isSentenceEnd(const std::string& word)
{
    return std::ranges::find(sentenceEndMarks, word) != sentenceEndMarks.end();
}

float round2(float value)
{
    return RuntimeCore::rounded(value, 2);
}

// The rows of the weights that belong to the tokens, in order.
Platform::CoreML::MLMultiArray tokenRows(const Platform::CoreML::MLMultiArray& weights,
                                         const std::vector<std::int64_t>& rows)
{
    const std::int64_t columns = weights.shape().back();
    const std::int64_t available = columns == 0 ? 0 : weights.count() / columns;
    if (!rows.empty() && rows.back() >= available)
        throw WhisperError::segmentingFailed("The alignment weights have " + std::to_string(available) + " rows for " +
                                             std::to_string(rows.back() + 1) + " tokens");
    auto selected = RuntimeCore::emptyMultiArray({static_cast<std::int64_t>(rows.size()), columns}, weights.dataType());
    const std::size_t rowBytes = static_cast<std::size_t>(columns) * elementSize(weights.dataType());
    std::byte* destination = selected.mutableBytes();
    for (std::size_t k = 0; k < rows.size(); ++k)
        std::memcpy(destination + k * rowBytes, weights.bytes() + static_cast<std::size_t>(rows[k]) * rowBytes,
                    rowBytes);
    return selected;
}

} // namespace

std::optional<std::vector<TranscriptionSegment>> SegmentSeeker::addWordTimestamps(
    const std::vector<TranscriptionSegment>& segments, const Platform::CoreML::MLMultiArray& alignmentWeights,
    const WhisperTokenizer& tokenizer, std::int64_t seek, std::int64_t, std::string_view prependPunctuations,
    std::string_view appendPunctuations, float lastSpeechTimestamp, const DecodingOptions&, const TranscriptionTimings&)
{
    std::vector<int> wordTokenIds;
    std::vector<std::int64_t> rows;
    std::vector<float> logProbs;
    for (const TranscriptionSegment& segment : segments) {
        if (segment.tokenLogProbs.size() < segment.tokens.size())
            throw WhisperError::segmentingFailed("A segment has " + std::to_string(segment.tokens.size()) +
                                                 " tokens but " + std::to_string(segment.tokenLogProbs.size()) +
                                                 " log probabilities");
        for (std::size_t index = 0; index < segment.tokens.size(); ++index) {
            const int token = segment.tokens[index];
            wordTokenIds.push_back(token);
            rows.push_back(static_cast<std::int64_t>(rows.size()));
            const auto& probabilities = segment.tokenLogProbs[index];
            if (const auto found = probabilities.find(token); found != probabilities.end())
                logProbs.push_back(found->second);
        }
    }

    if (alignmentWeights.shape().empty())
        throw WhisperError::segmentingFailed("Invalid shape in alignmentWeights");
    // Segments without tokens have no words to time.
    std::vector<WordTiming> alignment;
    if (!rows.empty()) {
        const auto weights = tokenRows(alignmentWeights, rows);
        RuntimeCore::Logging::debug("Alignment weights shape:", Platform::CoreML::shapeText(weights.shape()));
        alignment = findAlignment(wordTokenIds, weights, logProbs, tokenizer);
    }
    const auto [median, max] = calculateWordDurationConstraints(alignment);
    alignment = truncateLongWordsAtSentenceBoundaries(std::move(alignment), max);
    if (!alignment.empty())
        alignment = mergePunctuations(alignment, prependPunctuations, appendPunctuations);
    return updateSegmentsWithWordTimings(segments, alignment, seek, lastSpeechTimestamp, median, max, tokenizer);
}

SegmentSeeker::WordDurationConstraints
SegmentSeeker::calculateWordDurationConstraints(const std::vector<WordTiming>& alignment)
{
    std::vector<float> durations;
    for (const WordTiming& word : alignment)
        if (word.duration() > 0)
            durations.push_back(word.duration());
    std::ranges::sort(durations);
    const float median = durations.empty() ? 0.0f : std::min(durations[durations.size() / 2], longestMedianDuration);
    return {median, 2 * median};
}

std::vector<WordTiming> SegmentSeeker::truncateLongWordsAtSentenceBoundaries(std::vector<WordTiming> alignment,
                                                                             float maxDuration)
{
    for (std::size_t index = 1; index < alignment.size(); ++index) {
        WordTiming& word = alignment[index];
        if (word.duration() <= maxDuration)
            continue;
        if (isSentenceEnd(word.word))
            word.end = word.start + maxDuration;
        else if (isSentenceEnd(alignment[index - 1].word))
            word.start = word.end - maxDuration;
    }
    return alignment;
}

std::vector<TranscriptionSegment> SegmentSeeker::updateSegmentsWithWordTimings(
    std::vector<TranscriptionSegment> segments, const std::vector<WordTiming>& mergedAlignment, std::int64_t seek,
    float lastSpeechTimestamp, float constrainedMedianDuration, float maxDuration, const WhisperTokenizer& tokenizer)
{
    const float m = constrainedMedianDuration;
    const float offset = static_cast<float>(seek) / static_cast<float>(sampleRate);
    const int specialTokenBegin = tokenizer.specialTokens().specialTokenBegin;
    const auto isText = [&](int token) { return token < specialTokenBegin; };
    float lastSpeech = lastSpeechTimestamp;
    std::size_t next = 0;
    std::optional<float> previousSegmentEnd;

    for (TranscriptionSegment& segment : segments) {
        const auto textTokenCount = static_cast<std::size_t>(std::ranges::count_if(segment.tokens, isText));
        std::size_t consumed = 0;
        std::vector<WordTiming> words;
        while (next < mergedAlignment.size() && consumed < textTokenCount) {
            const WordTiming& timing = mergedAlignment[next++];
            std::vector<int> textTokens;
            std::ranges::copy_if(timing.tokens, std::back_inserter(textTokens), isText);
            if (textTokens.empty())
                continue;
            const std::string text =
                textTokens.size() == timing.tokens.size() ? timing.word : tokenizer.decode(textTokens);
            float start = round2(offset + timing.start);
            const float end = round2(offset + timing.end);
            // A very short word is widened backwards into the pause before it.
            if (end - start < 0.25f * m) {
                const std::optional<float> previousEnd = words.empty() ? previousSegmentEnd : words.back().end;
                if (previousEnd && *previousEnd < start)
                    start = round2(start - std::min(0.5f * m, start - *previousEnd));
            }
            consumed += textTokens.size();
            words.push_back({text, std::move(textTokens), start, end, round2(timing.probability)});
        }

        if (!words.empty()) {
            WordTiming& first = words.front();
            // A long first word right after a pause has mostly absorbed the
            // pause: it is cut to the longest plausible duration.
            if (first.end - lastSpeech > 4 * m &&
                (first.duration() > maxDuration ||
                 (words.size() >= 2 && words[1].end - first.start > 2 * maxDuration))) {
                if (words.size() >= 2 && words[1].duration() > maxDuration) {
                    const float boundary = std::max(words[1].end * 0.5f, words[1].end - maxDuration);
                    first.end = boundary;
                    words[1].start = boundary;
                }
                first.start = std::max(lastSpeech, first.end - maxDuration);
            }
            if (segment.start < first.end && segment.start - 0.5f > first.start)
                first.start = std::max(0.0f, std::min(first.end - m, segment.start));
            else
                segment.start = first.start;
            WordTiming& last = words.back();
            if (segment.end > last.start && segment.end + 0.5f < last.end)
                last.end = std::max(last.start + m, segment.end);
            else
                segment.end = last.end;
            lastSpeech = segment.end;
        }
        segment.words = std::move(words);
        previousSegmentEnd = segment.end;
    }
    return segments;
}

} // namespace RadozodEri
