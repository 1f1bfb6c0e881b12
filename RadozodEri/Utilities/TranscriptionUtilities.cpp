#include "RadozodEri/Utilities/TranscriptionUtilities.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Format.h"
#include "Platform/Text/Regex.h"

#include <algorithm>
#include <cstdint>

namespace RadozodEri::TranscriptionUtilities {

namespace {

constexpr float sampleRate = 16000.0f;

std::string comparable(const std::string& word)
{
    std::string text = Platform::lowercased(word);
    std::ranges::replace(text, '-', ' ');
    text = Platform::removing(text, Platform::CharacterSet::punctuation);
    static const Platform::Regex spaces(" +");
    text = spaces.replaceAll(text, " ");
    return std::string(Platform::trimming(text, Platform::CharacterSet::whitespacesAndNewlines));
}

std::size_t commonPrefixLength(const std::vector<WordTiming>& first, const std::vector<WordTiming>& second)
{
    const std::size_t shorter = std::min(first.size(), second.size());
    std::size_t length = 0;
    while (length < shorter && comparable(first[length].word) == comparable(second[length].word))
        ++length;
    return length;
}

TranscriptionTimings mergedTimings(const std::vector<TranscriptionTimings>& timings)
{
    TranscriptionTimings merged;
    const auto sum = [&](double TranscriptionTimings::*field) {
        double total = 0;
        for (const auto& each : timings)
            total += each.*field;
        merged.*field = total;
    };
    const auto extreme = [&](double TranscriptionTimings::*field, bool largest) {
        double value = 0;
        for (std::size_t index = 0; index < timings.size(); ++index)
            value = index == 0 ? timings[0].*field
                    : largest  ? std::max(value, timings[index].*field)
                               : std::min(value, timings[index].*field);
        merged.*field = value;
    };
    using T = TranscriptionTimings;
    extreme(&T::pipelineStart, false);
    extreme(&T::firstTokenTime, false);
    for (auto field :
         {&T::modelLoading, &T::prewarmLoadTime, &T::encoderLoadTime, &T::decoderLoadTime, &T::tokenizerLoadTime})
        extreme(field, true);
    merged.encoderSpecializationTime = 0;
    merged.decoderSpecializationTime = 0;
    for (auto field : {&T::inputAudioSeconds,
                       &T::audioLoading,
                       &T::audioProcessing,
                       &T::logmels,
                       &T::encoding,
                       &T::prefill,
                       &T::decodingInit,
                       &T::decodingLoop,
                       &T::decodingPredictions,
                       &T::decodingFiltering,
                       &T::decodingSampling,
                       &T::decodingFallback,
                       &T::decodingWindowing,
                       &T::decodingKvCaching,
                       &T::decodingWordTimestamps,
                       &T::decodingNonPrediction,
                       &T::totalAudioProcessingRuns,
                       &T::totalLogmelRuns,
                       &T::totalEncodingRuns,
                       &T::totalDecodingLoops,
                       &T::totalKVUpdateRuns,
                       &T::totalTimestampAlignmentRuns,
                       &T::totalDecodingFallbacks,
                       &T::totalDecodingWindows})
        sum(field);

    // Results that ran side by side took only as long as their joint span.
    double total = 0;
    double latestEnd = 0;
    for (std::size_t index = 0; index < timings.size(); ++index) {
        total += timings[index].fullPipeline;
        const double end = timings[index].pipelineStart + timings[index].fullPipeline;
        latestEnd = index == 0 ? end : std::max(latestEnd, end);
    }
    merged.fullPipeline = std::min(total, latestEnd - merged.pipelineStart);
    return merged;
}

} // namespace

TranscriptionSegment updateSegmentTimings(const TranscriptionSegment& segment, float seekTime)
{
    TranscriptionSegment moved = segment;
    moved.seek += static_cast<std::int64_t>(seekTime * sampleRate);
    moved.start += seekTime;
    moved.end += seekTime;
    if (moved.words)
        for (WordTiming& word : *moved.words) {
            word.start += seekTime;
            word.end += seekTime;
        }
    return moved;
}

std::vector<std::string> formatSegments(const std::vector<TranscriptionSegment>& segments, bool withTimestamps)
{
    std::vector<std::string> lines;
    for (const TranscriptionSegment& segment : segments)
        lines.push_back(withTimestamps
                            ? Platform::formatted("[%.2f --> %.2f] ", segment.start, segment.end) + segment.text
                            : segment.text);
    return lines;
}

std::vector<WordTiming> findLongestCommonPrefix(const std::vector<WordTiming>& first,
                                                const std::vector<WordTiming>& second)
{
    return {second.begin(), second.begin() + static_cast<std::ptrdiff_t>(commonPrefixLength(first, second))};
}

std::vector<WordTiming> findLongestDifferentSuffix(const std::vector<WordTiming>& first,
                                                   const std::vector<WordTiming>& second)
{
    return {second.begin() + static_cast<std::ptrdiff_t>(commonPrefixLength(first, second)), second.end()};
}

TranscriptionResult mergeTranscriptionResults(const std::vector<std::shared_ptr<TranscriptionResult>>& results,
                                              const std::optional<std::vector<WordTiming>>& confirmedWords)
{
    std::string text;
    if (confirmedWords) {
        for (const WordTiming& word : *confirmedWords)
            text += word.word;
    } else {
        for (std::size_t index = 0; index < results.size(); ++index)
            text += (index == 0 ? "" : " ") + (results[index] ? results[index]->text() : std::string());
    }

    std::vector<TranscriptionSegment> segments;
    std::vector<TranscriptionTimings> timings;
    std::string language = "en";
    for (const auto& result : results) {
        if (!result)
            continue;
        if (timings.empty())
            language = result->language();
        timings.push_back(result->timings());
        for (TranscriptionSegment& segment : result->segments()) {
            segment.id = static_cast<std::int64_t>(segments.size());
            segments.push_back(std::move(segment));
        }
    }
    return TranscriptionResult(std::move(text), std::move(segments), std::move(language), mergedTimings(timings));
}

} // namespace RadozodEri::TranscriptionUtilities
