#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace Platform {

// The X server's table from key codes to key symbols, as read at one moment.
struct KeyboardMapping {
    // Where a symbol sits: its key, and the level that produces it (0 plain,
    // 1 with Shift).
    struct Position {
        xcb_keycode_t keycode;
        int level;
        bool operator==(const Position&) const = default;
    };

    xcb_keycode_t firstKeycode = 0;
    std::uint8_t keysymsPerKeycode = 0;
    // keysymsPerKeycode symbols for each key from firstKeycode on; 0 is no symbol.
    std::vector<xcb_keysym_t> keysyms;

    // The symbols of one key, empty for a key outside the table.
    std::span<const xcb_keysym_t> keysymsOf(xcb_keycode_t keycode) const;

    // The key that produces `keysym` at the lowest level, in the first group.
    std::optional<Position> find(xcb_keysym_t keysym) const;
};

} // namespace Platform
