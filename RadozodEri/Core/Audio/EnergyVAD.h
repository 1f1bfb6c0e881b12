#pragma once

#include "RadozodEri/Core/Audio/VoiceActivityDetector.h"

namespace RadozodEri {

// Voice where a frame's root-mean-square level is above a threshold. The
// defaults are the engine's default detector: 0.1 s frames at 16 kHz.
class EnergyVAD : public VoiceActivityDetector {
public:
    explicit EnergyVAD(std::int64_t sampleRate = 16000, std::int64_t frameLengthSamples = 1600,
                       std::int64_t frameOverlapSamples = 0, float energyThreshold = 0.02f);
    // Frame length and overlap in seconds, truncated to whole samples.
    static EnergyVAD seconds(std::int64_t sampleRate, float frameLength, float frameOverlap, float energyThreshold);

    float energyThreshold() const { return energyThreshold_; }

    // A frame exactly at the threshold is silent.
    std::vector<bool> voiceActivity(std::span<const float> waveform) const override;

private:
    float energyThreshold_;
};

} // namespace RadozodEri
