#pragma once

#include <cstdint>

// The modifier mask with which key combinations are stored and registered as
// global hot keys: one bit per modifier key, independent of the display
// server's own modifier bits.
namespace Platform::CarbonModifier {

inline constexpr std::uint32_t command = 0x100;
inline constexpr std::uint32_t shift = 0x200;
inline constexpr std::uint32_t option = 0x800;
inline constexpr std::uint32_t control = 0x1000;

} // namespace Platform::CarbonModifier
