#include "App/Audio/GainControl.h"

#include "Platform/Vector/FiniteSamples.h"
#include "Platform/Vector/RootMeanSquare.h"

#include <algorithm>

namespace QEL {

void GainControl::process(std::span<float> samples)
{
    // One NaN or infinity would otherwise stick in the envelope, and so in
    // the gain, for the rest of the manager's life.
    for (float& sample : samples)
        sample = Platform::silenceIfNotFinite(sample);
    const float level = Platform::rootMeanSquare(samples);
    const float alpha = level > envelope ? attackAlpha : releaseAlpha;
    envelope = level * alpha + envelope * (1.0f - alpha);
    if (envelope > noiseFloor)
        agcGain = std::clamp(agcGain + (targetRMS / envelope - agcGain) * adaptationRate, minGain, maxGain);
    for (float& sample : samples)
        sample = std::clamp(sample * agcGain, -1.0f, 1.0f);
}

} // namespace QEL
