#pragma once

#include "App/VAD/VoiceActivityDetector.h"

namespace QEL {

// Compares each frame's RMS with a fixed threshold and closes an utterance after
// a configured stretch of quiet frames.
class EnergyVAD : public VoiceActivityDetector {
public:
    EnergyVAD(float energyThreshold, int silenceDurationMs);

    VADResult process(const std::vector<float>& samples) override;
    void reset() override;
    bool isSpeechActive() const override { return isSpeechActive_; }

    float energyThreshold() const { return energyThreshold_; }
    int silenceDurationMs() const { return silenceDurationMs_; }

    // Quiet time credited for every quiet frame, whatever its length.
    static constexpr int frameDurationMs = 100;

private:
    float energyThreshold_;
    int silenceDurationMs_;
    int consecutiveSilenceMs_ = 0;
    bool isSpeechActive_ = false;
};

} // namespace QEL
