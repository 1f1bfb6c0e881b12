#pragma once

#include <cstddef>

namespace Platform::ML {

// Widens one IEEE half-precision value to a float; exact.
float widenHalfFloat(unsigned short half);

// Rounds a float to the nearest half-precision value (ties to even).
unsigned short narrowToHalfFloat(float value);

// The same over `count` values stored little-endian, with the processor's
// conversion instructions where it has them (the same numbers; only the
// payloads of NaNs may differ).
void widenHalfFloats(const std::byte* source, size_t count, float* destination);
void narrowToHalfFloats(const float* source, size_t count, std::byte* destination);

} // namespace Platform::ML
