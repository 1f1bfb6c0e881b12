#pragma once

#include <cstddef>

namespace Platform::ML {

// Widens `count` little-endian IEEE half-precision values to floats.
void widenHalfFloats(const std::byte* source, size_t count, float* destination);

// Rounds a float to the nearest half-precision value (ties to even).
unsigned short narrowToHalfFloat(float value);

} // namespace Platform::ML
