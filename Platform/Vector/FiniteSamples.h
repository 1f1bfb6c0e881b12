#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <span>

namespace Platform {

// A sample that is not a number (NaN or infinite, as a broken capture device
// can deliver) counts as silence.
inline float silenceIfNotFinite(float sample)
{
    return std::isfinite(sample) ? sample : 0.0f;
}

// On the bits, without an early exit, so that the compiler vectorises it: a
// model's scores over a whole vocabulary are checked after every token.
inline bool allFinite(std::span<const float> values)
{
    constexpr std::uint32_t exponent = 0x7f800000; // all ones: infinite or NaN
    std::uint32_t notFinite = 0;
    for (const float value : values)
        notFinite |= (std::bit_cast<std::uint32_t>(value) & exponent) == exponent;
    return notFinite == 0;
}

} // namespace Platform
