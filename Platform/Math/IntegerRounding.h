#pragma once

#include <concepts>

namespace Platform {

// value / divisor rounded up, for a non-negative value and a positive divisor.
template <std::integral T>
constexpr T divideRoundingUp(T value, T divisor)
{
    return (value + divisor - 1) / divisor;
}

// The least multiple of `multiple` that is at least `value`.
template <std::integral T>
constexpr T roundUp(T value, T multiple)
{
    return divideRoundingUp(value, multiple) * multiple;
}

} // namespace Platform
