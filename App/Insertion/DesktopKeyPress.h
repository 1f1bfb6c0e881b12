#pragma once

#include "App/Processing/AppContext.h"
#include "App/Processing/CommandEffects.h"

#include <xcb/xcb.h>

#include <optional>
#include <vector>

namespace QEL {

// A key press as this desktop spells it: the key's symbol and the modifier
// keys held around it.
struct DesktopKeyPress {
    xcb_keysym_t key;
    std::vector<xcb_keysym_t> modifiers;
    bool operator==(const DesktopKeyPress&) const = default;
};

// How a press of `key` with `flags` is made here, for the application in
// front. Command shortcuts use Control, and Control with Shift in a terminal,
// where Control alone sends the running program a signal (Control+C
// interrupts it, Control+Z suspends it). Option, which moves and deletes by
// words, is Control too; Control and Shift stay themselves. None for a key X
// has no symbol for (Fn).
std::optional<DesktopKeyPress> desktopKeyPress(Key key, ModifierFlags flags, AppContext frontmost);

} // namespace QEL
