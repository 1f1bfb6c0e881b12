#include "RadozodEri/Core/Audio/AudioProcessing.h"

#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace RadozodEri {

using RuntimeCore::Logging;

std::optional<AudioProcessorOutputType>
AudioProcessing::padOrTrimAudio(const std::vector<float>& fromArray, std::int64_t startAt, std::int64_t toLength, bool)
{
    const auto count = static_cast<std::int64_t>(fromArray.size());
    if (startAt < 0 || startAt >= count) {
        Logging::error("startIndex is outside the buffer size");
        return std::nullopt;
    }
    if (toLength < 1) {
        Logging::error("Window length must be positive, not " + std::to_string(toLength));
        return std::nullopt;
    }
    AudioProcessorOutputType window({toLength}, Platform::CoreML::MLMultiArrayDataType::float32);
    const std::int64_t end = std::min(startAt + toLength, count);
    std::copy(fromArray.begin() + startAt, fromArray.begin() + end, window.mutableValues<float>().begin());
    return window;
}

std::future<Platform::Audio::PCMBuffer> AudioProcessing::loadAudioAsync(const std::string& fromPath)
{
    return std::async(std::launch::async, [fromPath] {
        return AudioProcessor::loadAudio(fromPath, AudioInputConfig::ChannelMode::sumChannels());
    });
}

std::optional<WaveformImage> AudioProcessing::createWaveformImage(const std::vector<float>& fromAudio, double width,
                                                                  double height)
{
    const double pixels = std::trunc(width) * std::trunc(height);
    const double available = static_cast<double>(fromAudio.size()) * sizeof(float) / 4;
    if (!(width >= 1) || !(height >= 1) || pixels > available)
        return std::nullopt;
    WaveformImage image{static_cast<int>(width), static_cast<int>(height), {}};
    image.pixels.resize(static_cast<std::size_t>(pixels) * 4);
    std::memcpy(image.pixels.data(), fromAudio.data(), image.pixels.size());
    return image;
}

} // namespace RadozodEri
