#include "RadozodEri/Core/Audio/EnergyVAD.h"

#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include <cmath>
#include <stdexcept>

namespace RadozodEri {

namespace {

std::int64_t samplesOf(float seconds, std::int64_t sampleRate)
{
    const float samples = std::trunc(seconds * static_cast<float>(sampleRate));
    if (!std::isfinite(samples) || std::abs(samples) >= 0x1p62f)
        throw std::invalid_argument("A frame of " + std::to_string(seconds) + " s has no whole number of samples");
    return static_cast<std::int64_t>(samples);
}

} // namespace

EnergyVAD::EnergyVAD(std::int64_t sampleRate, std::int64_t frameLengthSamples, std::int64_t frameOverlapSamples,
                     float energyThreshold)
    : VoiceActivityDetector(sampleRate, frameLengthSamples, frameOverlapSamples), energyThreshold_(energyThreshold)
{
}

EnergyVAD EnergyVAD::seconds(std::int64_t sampleRate, float frameLength, float frameOverlap, float energyThreshold)
{
    return EnergyVAD(sampleRate, samplesOf(frameLength, sampleRate), samplesOf(frameOverlap, sampleRate),
                     energyThreshold);
}

std::vector<bool> EnergyVAD::voiceActivity(std::span<const float> waveform) const
{
    const auto frameCount = static_cast<std::int64_t>(
        std::ceil(static_cast<double>(waveform.size()) / static_cast<double>(frameLengthSamples())));
    return AudioProcessor::calculateVoiceActivityInChunks(waveform, frameCount, frameLengthSamples(),
                                                          frameOverlapSamples(), energyThreshold_);
}

} // namespace RadozodEri
