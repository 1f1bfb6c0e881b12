#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Platform {

// A key combination the desktop keeps for itself: a virtual key code (see
// VirtualKeyCodes.h) and a hot-key modifier mask (CarbonModifiers.h).
struct DesktopShortcut {
    std::uint32_t virtualKeyCode = 0;
    std::uint32_t carbonModifiers = 0;

    bool operator==(const DesktopShortcut&) const = default;
};

// The enabled global shortcuts of the running desktop, where the desktop lists
// them: under GNOME (XDG_CURRENT_DESKTOP names it), the key bindings of its
// window manager, shell, media keys and the user's own commands, as GSettings
// holds them, schema by schema, key by key (by name), in each key's order. Empty on any
// other desktop, or when the schemas are not installed. Shortcuts that name no
// virtual key or use a modifier without a counterpart (Hyper) are left out.
// Reads the schemas and the settings afresh on every call.
std::vector<DesktopShortcut> desktopShortcuts();

// One accelerator in GSettings' form, "<Super><Shift>Page_Up": Shift,
// Control (Ctrl, Primary), Alt (Mod1) and Super (Mod4) in angle brackets, in
// any order and letter case, then an X key symbol name. None for an empty or
// "disabled" binding, an unknown modifier, or a key without a virtual key code.
std::optional<DesktopShortcut> desktopShortcutOfAccelerator(std::string_view accelerator);

} // namespace Platform
