#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace Platform::Audio {

// The layout every buffer here has: 32-bit float samples, one array per
// channel, at a sample rate.
struct AudioFormat {
    double sampleRate = 0;
    unsigned channelCount = 0;

    bool operator==(const AudioFormat&) const = default;
};

// Audio samples in memory: room for `frameCapacity` frames, of which the
// first `frameLength` hold sound. Every channel has its own array.
class PCMBuffer {
public:
    // Nothing for a format without channels or a positive finite rate, or when
    // no memory holds the frames.
    static std::optional<PCMBuffer> make(const AudioFormat& format, std::uint32_t frameCapacity);

    const AudioFormat& format() const { return format_; }
    std::uint32_t frameCapacity() const { return frameCapacity_; }
    std::uint32_t frameLength() const { return frameLength_; }
    // Clamped to the capacity.
    void setFrameLength(std::uint32_t frameLength);

    // The channel's whole capacity; `channel` must be below the channel count.
    std::span<float> channel(unsigned channel);
    std::span<const float> channel(unsigned channel) const;
    // The channel's frames that hold sound.
    std::span<const float> frames(unsigned channel) const { return this->channel(channel).first(frameLength_); }

private:
    PCMBuffer(const AudioFormat& format, std::uint32_t frameCapacity);

    AudioFormat format_;
    std::uint32_t frameCapacity_;
    std::uint32_t frameLength_ = 0;
    std::vector<float> samples_; // channel after channel, each frameCapacity_ long
};

} // namespace Platform::Audio
