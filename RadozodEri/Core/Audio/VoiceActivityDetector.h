#pragma once

#include <cstdint>
#include <future>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace RadozodEri {

// A sample range [first, second) or a frame range, end exclusive.
using IndexRange = std::pair<std::int64_t, std::int64_t>;

// Decides frame by frame whether audio holds speech; a subclass supplies the
// decision, this class the framing and what follows from the decision. Frame
// i starts at sample i × frameLengthSamples. Immutable: any thread may use it.
class VoiceActivityDetector {
public:
    // Throws std::invalid_argument for a rate or frame length below 1 or a
    // negative overlap.
    VoiceActivityDetector(std::int64_t sampleRate, std::int64_t frameLengthSamples, std::int64_t frameOverlapSamples);
    virtual ~VoiceActivityDetector() = default;

    std::int64_t sampleRate() const { return sampleRate_; }
    std::int64_t frameLengthSamples() const { return frameLengthSamples_; }
    // Samples past a frame's end that a detector may include in its measure.
    std::int64_t frameOverlapSamples() const { return frameOverlapSamples_; }

    // One flag per frame, true where it is voiced.
    virtual std::vector<bool> voiceActivity(std::span<const float> waveform) const = 0;
    // voiceActivity on a thread of its own.
    virtual std::future<std::vector<bool>> voiceActivityAsync(std::vector<float> waveform) const;
    // The runs of voiced frames as sample ranges, overlap left out.
    virtual std::vector<IndexRange> calculateActiveChunks(std::span<const float> waveform) const;
    virtual std::int64_t voiceActivityIndexToAudioSampleIndex(std::int64_t index) const;
    virtual float voiceActivityIndexToSeconds(std::int64_t index) const;
    // The longest run of silent frames, the first among equals; nothing
    // without a silent frame.
    virtual std::optional<IndexRange> findLongestSilence(const std::vector<bool>& voiceActivity) const;
    // The voiced ranges' starts and ends in seconds, one after another.
    virtual std::vector<float> voiceActivityClipTimestamps(std::span<const float> waveform) const;
    // The voiced sample ranges.
    virtual std::vector<IndexRange> calculateNonSilentSeekClips(std::span<const float> waveform) const;
    // The voiced ranges in seconds.
    virtual std::vector<std::pair<float, float>> calculateSeekTimestamps(std::span<const float> waveform) const;

private:
    std::int64_t sampleRate_;
    std::int64_t frameLengthSamples_;
    std::int64_t frameOverlapSamples_;
};

} // namespace RadozodEri
