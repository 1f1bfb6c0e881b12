#include "RadozodEri/Core/Text/SegmentSeeker.h"

#include "RadozodEri/Utilities/WhisperError.h"

#include <algorithm>
#include <string>

namespace RadozodEri {

namespace {

constexpr float secondsPerTimestamp = 0.02f;

struct WindowText {
    const WhisperTokenizer& tokenizer;
    bool skipSpecialTokens;

    std::string operator()(std::span<const int> tokens) const
    {
        if (!skipSpecialTokens)
            return tokenizer.decode(tokens);
        std::vector<int> textTokens;
        const int specialTokenBegin = tokenizer.specialTokens().specialTokenBegin;
        std::ranges::copy_if(tokens, std::back_inserter(textTokens),
                             [&](int token) { return token < specialTokenBegin; });
        return tokenizer.decode(textTokens);
    }
};

bool skipsAsSilence(const DecodingResult& result, const DecodingOptions& options)
{
    if (!options.noSpeechThreshold)
        return false;
    if (options.logProbThreshold && result.avgLogProb > *options.logProbThreshold)
        return false;
    return result.noSpeechProb > *options.noSpeechThreshold;
}

} // namespace

std::pair<std::int64_t, std::optional<std::vector<TranscriptionSegment>>>
SegmentSeeker::findSeekPointAndSegments(const DecodingResult& decodingResult, const DecodingOptions& options,
                                        std::int64_t allSegmentsCount, std::int64_t currentSeek,
                                        std::int64_t segmentSize, int sampleRate, int timeToken, int,
                                        const WhisperTokenizer& tokenizer)
{
    if (skipsAsSilence(decodingResult, options))
        return {currentSeek + segmentSize, std::vector<TranscriptionSegment>{}};

    const std::vector<int>& tokens = decodingResult.tokens;
    const auto& logProbs = decodingResult.tokenLogProbs;
    if (logProbs.size() < tokens.size())
        throw WhisperError::segmentingFailed("The window has " + std::to_string(tokens.size()) + " tokens but " +
                                             std::to_string(logProbs.size()) + " log probabilities");

    const auto isTimestamp = [&](std::size_t position) { return tokens[position] >= timeToken; };
    const std::size_t count = tokens.size();
    // Text, timestamp, end of text; or text up to the end.
    const bool singleTimestampEnding =
        count >= 3 && !isTimestamp(count - 3) && isTimestamp(count - 2) && !isTimestamp(count - 1);
    const bool noTimestampEnding =
        count >= 3 && !isTimestamp(count - 3) && !isTimestamp(count - 2) && !isTimestamp(count - 1);
    std::vector<std::size_t> slices;
    for (std::size_t position = 1; position < count; ++position)
        if (isTimestamp(position - 1) && isTimestamp(position))
            slices.push_back(position);

    const float timeOffset = static_cast<float>(currentSeek) / static_cast<float>(sampleRate);
    const WindowText textOf{tokenizer, options.skipSpecialTokens};
    const auto segment = [&](std::int64_t id, float start, float end, std::size_t from, std::size_t to) {
        const std::span<const int> sliceTokens(tokens.data() + from, to - from);
        return TranscriptionSegment{
            .id = id,
            .seek = currentSeek,
            .start = start,
            .end = end,
            .text = textOf(sliceTokens),
            .tokens = {sliceTokens.begin(), sliceTokens.end()},
            .tokenLogProbs = {logProbs.begin() + static_cast<std::ptrdiff_t>(from),
                              logProbs.begin() + static_cast<std::ptrdiff_t>(to)},
            .temperature = decodingResult.temperature,
            .avgLogprob = decodingResult.avgLogProb,
            .compressionRatio = decodingResult.compressionRatio,
            .noSpeechProb = decodingResult.noSpeechProb,
        };
    };

    if (slices.empty()) {
        // A bare first timestamp says nothing about the window's length.
        const auto lastTimestamp =
            std::ranges::find_if(tokens.rbegin(), tokens.rend(), [&](int token) { return token > timeToken; });
        const float duration = lastTimestamp != tokens.rend()
                                   ? static_cast<float>(*lastTimestamp - timeToken) * secondsPerTimestamp
                                   : static_cast<float>(segmentSize) / static_cast<float>(sampleRate);
        return {currentSeek + segmentSize,
                std::vector{segment(allSegmentsCount, timeOffset, timeOffset + duration, 0, count)}};
    }

    if (singleTimestampEnding)
        slices.push_back(count - 1);
    else if (noTimestampEnding)
        slices.push_back(count);

    std::vector<TranscriptionSegment> segments;
    std::size_t lastSlice = 0;
    for (std::size_t end : slices) {
        std::vector<int> timestamps;
        for (std::size_t position = lastSlice; position < end; ++position)
            if (isTimestamp(position))
                timestamps.push_back(tokens[position] - timeToken);
        // Every slice holds a timestamp: it ends just after one, starts at
        // one, or runs past the final one.
        const float start = timeOffset + static_cast<float>(timestamps.front()) * secondsPerTimestamp;
        const float stop = timeOffset + static_cast<float>(timestamps.back()) * secondsPerTimestamp;
        segments.push_back(
            segment(allSegmentsCount + static_cast<std::int64_t>(segments.size()), start, stop, lastSlice, end));
        lastSlice = end;
    }

    if (noTimestampEnding)
        return {currentSeek + segmentSize, std::move(segments)};
    // Without a closed ending the tokens after the last pair make no segment:
    // the next window starts at that pair's timestamp and decodes them again.
    const int position = (singleTimestampEnding ? tokens[lastSlice - 1] : tokens[lastSlice]) - timeToken;
    const auto advance =
        static_cast<std::int64_t>(static_cast<float>(position) * secondsPerTimestamp * static_cast<float>(sampleRate));
    return {currentSeek + advance, std::move(segments)};
}

} // namespace RadozodEri
