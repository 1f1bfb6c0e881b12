#include "App/VAD/EnergyVAD.h"

#include "Platform/Vector/RootMeanSquare.h"

namespace QEL {

EnergyVAD::EnergyVAD(float energyThreshold, int silenceDurationMs)
    : energyThreshold_(energyThreshold), silenceDurationMs_(silenceDurationMs)
{
}

VADResult EnergyVAD::process(const std::vector<float>& samples)
{
    if (!samples.empty() && Platform::rootMeanSquare(samples) > energyThreshold_) {
        consecutiveSilenceMs_ = 0;
        isSpeechActive_ = true;
        return VADResult::speech;
    }
    if (!isSpeechActive_)
        return VADResult::silence;
    consecutiveSilenceMs_ += frameDurationMs;
    if (consecutiveSilenceMs_ >= silenceDurationMs_) {
        isSpeechActive_ = false;
        return VADResult::endpoint;
    }
    return VADResult::silence;
}

void EnergyVAD::reset()
{
    consecutiveSilenceMs_ = 0;
    isSpeechActive_ = false;
}

} // namespace QEL
