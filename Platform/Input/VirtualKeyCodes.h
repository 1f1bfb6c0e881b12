#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

namespace Platform {

// Virtual key codes name keys by their place on the ANSI keyboard (0 is A,
// 49 the space bar, 122 F1); key combinations are stored and registered under
// them. The X server names keys by the symbol they produce: this is the one
// translation between the two, for grabbing keys and for typing them.
//
// The symbol of the key at that code, for example XK_space for 49; none for a
// code that names no key or a key that X has no symbol for (the Fn key).
std::optional<xcb_keysym_t> keysymForVirtualKeyCode(std::uint32_t virtualKeyCode);

} // namespace Platform
