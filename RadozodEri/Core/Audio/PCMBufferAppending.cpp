#include "RadozodEri/Core/Audio/PCMBufferAppending.h"

#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>

namespace RadozodEri {

using RuntimeCore::Logging;

bool appendContents(Platform::Audio::PCMBuffer& destination, const Platform::Audio::PCMBuffer& source,
                    std::int64_t startingFrame, std::int64_t frameCount)
{
    if (destination.format() != source.format()) {
        Logging::debug("Format mismatch");
        return false;
    }
    if (startingFrame < 0 || frameCount < 0 || startingFrame + frameCount > source.frameLength()) {
        Logging::error("Insufficient audio in buffer");
        return false;
    }
    const std::int64_t room = destination.frameCapacity() - destination.frameLength();
    if (frameCount > room) {
        Logging::debug("Insufficient space in buffer, reducing frame count to fit");
        frameCount = room;
    }
    for (unsigned channel = 0; channel < source.format().channelCount; ++channel) {
        std::span<const float> from = source.channel(channel).subspan(static_cast<std::size_t>(startingFrame),
                                                                      static_cast<std::size_t>(frameCount));
        std::copy(from.begin(), from.end(), destination.channel(channel).begin() + destination.frameLength());
    }
    destination.setFrameLength(destination.frameLength() + static_cast<std::uint32_t>(frameCount));
    return true;
}

} // namespace RadozodEri
