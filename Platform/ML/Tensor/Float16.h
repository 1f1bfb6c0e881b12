#pragma once

#include "Platform/ML/Tensor/HalfFloat.h"

#include <cstdint>

namespace Platform::ML {

// An IEEE half-precision number, the element of 16-bit float arrays. Made from
// a float by rounding to the nearest half (ties to even); widening is exact.
struct Float16 {
    std::uint16_t bits = 0;

    constexpr Float16() = default;
    explicit Float16(float value) : bits(narrowToHalfFloat(value)) {}

    static constexpr Float16 fromBits(std::uint16_t bits)
    {
        Float16 half;
        half.bits = bits;
        return half;
    }

    explicit operator float() const { return widenHalfFloat(bits); }
};

} // namespace Platform::ML
