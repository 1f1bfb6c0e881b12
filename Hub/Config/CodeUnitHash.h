#pragma once

// How code-unit keys and characters are hashed: the number of code units, then
// the units. Equality compares exactly these, so equal keys hash alike.

#include "Platform/HashCombine.h"

#include <cstddef>
#include <string_view>

namespace Hub {

inline void feedCodeUnits(std::size_t& seed, std::u16string_view units)
{
    Platform::hashCombine(seed, units.size());
    Platform::hashCombine(seed, units);
}

inline std::size_t hashOfCodeUnits(std::u16string_view units)
{
    std::size_t seed = 0;
    feedCodeUnits(seed, units);
    return seed;
}

} // namespace Hub
