// Energy and voice measures over sample arrays.

#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "Platform/Vector/MagnitudeRange.h"
#include "Platform/Vector/RootMeanSquare.h"
#include "RadozodEri/Core/Audio/EnergyVAD.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace RadozodEri {

float AudioProcessor::calculateAverageEnergy(std::span<const float> signal)
{
    return Platform::rootMeanSquare(signal);
}

AudioEnergy AudioProcessor::calculateEnergy(std::span<const float> signal)
{
    const Platform::MagnitudeRange range = Platform::magnitudeRange(signal);
    return {0, Platform::rootMeanSquare(signal), range.largest, range.smallest};
}

float AudioProcessor::calculateRelativeEnergy(std::span<const float> signal, std::optional<float> relativeTo)
{
    const float signalDecibels = 20 * std::log10(Platform::rootMeanSquare(signal));
    const float referenceDecibels = relativeTo ? 20 * std::log10(std::max(*relativeTo, 1e-8f)) : -60.0f;
    const float relative = std::clamp((signalDecibels - referenceDecibels) / (0 - referenceDecibels), 0.0f, 1.0f);
    return std::isnan(relative) ? 0.0f : relative;
}

bool AudioProcessor::isVoiceDetected(std::span<const float> energy, float nextBufferInSeconds, float silenceThreshold)
{
    const float buffers = std::trunc(nextBufferInSeconds / 0.1f);
    const std::size_t count =
        buffers > 0 ? std::min(energy.size(), static_cast<std::size_t>(std::min(buffers, 1e9f))) : 0;
    std::span<const float> recent = energy.last(count);
    // The newest second is left out once more than a second is looked at.
    const std::size_t looked = std::min(count, std::max(count >= 10 ? count - 10 : 0, std::size_t{10}));
    std::span<const float> considered = recent.first(looked);
    return std::any_of(considered.begin(), considered.end(), [&](float level) { return level > silenceThreshold; });
}

std::vector<bool> AudioProcessor::calculateVoiceActivityInChunks(std::span<const float> signal, std::int64_t chunkCount,
                                                                 std::int64_t frameLengthSamples,
                                                                 std::int64_t frameOverlapSamples,
                                                                 float energyThreshold)
{
    const auto length = static_cast<std::int64_t>(signal.size());
    std::vector<bool> voiced;
    voiced.reserve(static_cast<std::size_t>(std::max<std::int64_t>(chunkCount, 0)));
    for (std::int64_t chunk = 0; chunk < chunkCount; ++chunk) {
        // A frame that starts past the signal measures nothing: silence.
        const std::int64_t start = std::min(chunk * frameLengthSamples, length);
        const std::int64_t end = std::clamp(start + frameLengthSamples + frameOverlapSamples, start, length);
        const float energy = Platform::rootMeanSquare(
            signal.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
        voiced.push_back(energy > energyThreshold);
    }
    return voiced;
}

std::vector<std::pair<std::int64_t, std::int64_t>>
AudioProcessor::calculateNonSilentChunks(std::span<const float> signal)
{
    return EnergyVAD().calculateActiveChunks(signal);
}

} // namespace RadozodEri
