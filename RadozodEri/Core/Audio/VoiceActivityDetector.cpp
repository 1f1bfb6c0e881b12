#include "RadozodEri/Core/Audio/VoiceActivityDetector.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace RadozodEri {

VoiceActivityDetector::VoiceActivityDetector(std::int64_t sampleRate, std::int64_t frameLengthSamples,
                                             std::int64_t frameOverlapSamples)
    : sampleRate_(sampleRate), frameLengthSamples_(frameLengthSamples), frameOverlapSamples_(frameOverlapSamples)
{
    if (sampleRate < 1 || frameLengthSamples < 1 || frameOverlapSamples < 0)
        throw std::invalid_argument("A voice-activity detector needs a sample rate and frame length of at least 1 "
                                    "and no negative overlap, not " +
                                    std::to_string(sampleRate) + ", " + std::to_string(frameLengthSamples) + " and " +
                                    std::to_string(frameOverlapSamples));
}

std::future<std::vector<bool>> VoiceActivityDetector::voiceActivityAsync(std::vector<float> waveform) const
{
    return std::async(std::launch::async, [this, waveform = std::move(waveform)] { return voiceActivity(waveform); });
}

std::vector<IndexRange> VoiceActivityDetector::calculateActiveChunks(std::span<const float> waveform) const
{
    const std::vector<bool> voiced = voiceActivity(waveform);
    const auto length = static_cast<std::int64_t>(waveform.size());
    std::vector<IndexRange> chunks;
    bool previousVoiced = false;
    for (std::size_t frame = 0; frame < voiced.size(); ++frame) {
        if (!voiced[frame]) {
            previousVoiced = false;
            continue;
        }
        const std::int64_t start = static_cast<std::int64_t>(frame) * frameLengthSamples_;
        const std::int64_t end = std::min(length, start + frameLengthSamples_);
        if (previousVoiced)
            chunks.back().second = end;
        else
            chunks.emplace_back(start, end);
        previousVoiced = true;
    }
    return chunks;
}

std::int64_t VoiceActivityDetector::voiceActivityIndexToAudioSampleIndex(std::int64_t index) const
{
    return index * frameLengthSamples_;
}

float VoiceActivityDetector::voiceActivityIndexToSeconds(std::int64_t index) const
{
    return static_cast<float>(index * frameLengthSamples_) / static_cast<float>(sampleRate_);
}

std::optional<IndexRange> VoiceActivityDetector::findLongestSilence(const std::vector<bool>& voiceActivity) const
{
    std::optional<IndexRange> longest;
    const auto count = static_cast<std::int64_t>(voiceActivity.size());
    std::int64_t index = 0;
    while (index < count) {
        if (voiceActivity[static_cast<std::size_t>(index)]) {
            ++index;
            continue;
        }
        const std::int64_t start = index;
        while (index < count && !voiceActivity[static_cast<std::size_t>(index)])
            ++index;
        if (!longest || index - start > longest->second - longest->first)
            longest = IndexRange{start, index};
    }
    return longest;
}

std::vector<float> VoiceActivityDetector::voiceActivityClipTimestamps(std::span<const float> waveform) const
{
    std::vector<float> timestamps;
    for (const auto& [start, end] : calculateSeekTimestamps(waveform)) {
        timestamps.push_back(start);
        timestamps.push_back(end);
    }
    return timestamps;
}

std::vector<IndexRange> VoiceActivityDetector::calculateNonSilentSeekClips(std::span<const float> waveform) const
{
    return calculateActiveChunks(waveform);
}

std::vector<std::pair<float, float>>
VoiceActivityDetector::calculateSeekTimestamps(std::span<const float> waveform) const
{
    std::vector<std::pair<float, float>> timestamps;
    const auto rate = static_cast<float>(sampleRate_);
    for (const auto& [start, end] : calculateActiveChunks(waveform))
        timestamps.emplace_back(static_cast<float>(start) / rate, static_cast<float>(end) / rate);
    return timestamps;
}

} // namespace RadozodEri
