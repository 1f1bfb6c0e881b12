#pragma once

#include "Platform/Desktop/KeyboardMapping.h"

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

// The reverse: the virtual key code whose symbol `keysym` is, for example 49
// for XK_space; none for a symbol of no key there (XK_K, the shifted level).
std::optional<std::uint32_t> virtualKeyCodeForKeysym(xcb_keysym_t keysym);

// The virtual key code of the key with X keycode `keycode` in `mapping`, from
// its symbols at the plain level and then the shifted one, where a hot key for
// that code would look for them: the keypad's 7 is KP_Home unshifted and
// KP_7 with Num Lock. None for a key whose symbols name no virtual key.
std::optional<std::uint32_t> virtualKeyCodeOfKeycode(const KeyboardMapping& mapping, xcb_keycode_t keycode);

} // namespace Platform
