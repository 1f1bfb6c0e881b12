#pragma once

#include <cmath>
#include <span>

namespace Platform {

// Root mean square of the samples; 0 for none. Accumulates in double so long
// stretches of audio keep their precision.
inline float rootMeanSquare(std::span<const float> samples)
{
    if (samples.empty())
        return 0.0f;
    double sum = 0.0;
    for (float sample : samples)
        sum += static_cast<double>(sample) * sample;
    return static_cast<float>(std::sqrt(sum / static_cast<double>(samples.size())));
}

} // namespace Platform
