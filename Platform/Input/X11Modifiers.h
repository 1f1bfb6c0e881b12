#pragma once

#include "Platform/Input/CarbonModifiers.h"

#include <xcb/xproto.h>

#include <array>
#include <cstdint>
#include <utility>

// How the hot-key modifier mask meets the X server's modifier state: Shift and
// Control are themselves, Option is Alt (Mod1) and Command is Super (Mod4).
// Hot keys are grabbed, and key presses recorded as hot keys are read, through
// this one table, so that a recorded combination is the one that is grabbed.
namespace Platform {

namespace X11ModifierTable {
inline constexpr std::array<std::pair<std::uint32_t, std::uint16_t>, 4> pairs{{
    {CarbonModifier::shift, XCB_MOD_MASK_SHIFT},
    {CarbonModifier::control, XCB_MOD_MASK_CONTROL},
    {CarbonModifier::option, XCB_MOD_MASK_1},
    {CarbonModifier::command, XCB_MOD_MASK_4},
}};
} // namespace X11ModifierTable

// The X modifier bits of a hot-key mask.
constexpr std::uint16_t x11ModifiersOfCarbon(std::uint32_t carbonModifiers)
{
    std::uint16_t modifiers = 0;
    for (const auto& [carbon, x11] : X11ModifierTable::pairs)
        if (carbonModifiers & carbon)
            modifiers |= x11;
    return modifiers;
}

// The hot-key mask of an X modifier state; the lock states (Caps Lock, Num
// Lock) and the other modifier bits are dropped.
constexpr std::uint32_t carbonModifiersOfX11(std::uint16_t state)
{
    std::uint32_t modifiers = 0;
    for (const auto& [carbon, x11] : X11ModifierTable::pairs)
        if (state & x11)
            modifiers |= carbon;
    return modifiers;
}

} // namespace Platform
