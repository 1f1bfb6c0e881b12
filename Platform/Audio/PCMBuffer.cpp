#include "Platform/Audio/PCMBuffer.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace Platform::Audio {

std::optional<PCMBuffer> PCMBuffer::make(const AudioFormat& format, std::uint32_t frameCapacity)
{
    if (format.channelCount == 0 || !std::isfinite(format.sampleRate) || format.sampleRate <= 0)
        return std::nullopt;
    try {
        return PCMBuffer(format, frameCapacity);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

PCMBuffer::PCMBuffer(const AudioFormat& format, std::uint32_t frameCapacity)
    : format_(format), frameCapacity_(frameCapacity),
      samples_(static_cast<std::size_t>(frameCapacity) * format.channelCount)
{
}

void PCMBuffer::setFrameLength(std::uint32_t frameLength)
{
    frameLength_ = std::min(frameLength, frameCapacity_);
}

std::span<float> PCMBuffer::channel(unsigned channel)
{
    return std::span<float>(samples_).subspan(static_cast<std::size_t>(channel) * frameCapacity_, frameCapacity_);
}

std::span<const float> PCMBuffer::channel(unsigned channel) const
{
    return std::span<const float>(samples_).subspan(static_cast<std::size_t>(channel) * frameCapacity_, frameCapacity_);
}

} // namespace Platform::Audio
