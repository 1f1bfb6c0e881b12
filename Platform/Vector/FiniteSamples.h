#pragma once

#include <algorithm>
#include <cmath>
#include <span>

namespace Platform {

// A sample that is not a number (NaN or infinite, as a broken capture device
// can deliver) counts as silence.
inline float silenceIfNotFinite(float sample)
{
    return std::isfinite(sample) ? sample : 0.0f;
}

inline bool allFinite(std::span<const float> values)
{
    return std::all_of(values.begin(), values.end(), [](float value) { return std::isfinite(value); });
}

} // namespace Platform
