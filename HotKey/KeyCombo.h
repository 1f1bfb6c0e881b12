#pragma once

#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"

#include <QVariantMap>

class QMenu;

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace HotKey {

// A key combination as hot keys are registered: a virtual key code and a
// hot-key modifier mask (Platform::CarbonModifier), both kept as given.
struct KeyCombo {
    std::uint32_t carbonKeyCode = 0;
    std::uint32_t carbonModifiers = 0;

    KeyCombo(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers);
    KeyCombo(Key key, ModifierFlags modifiers);

    // A combination stored as {"keyCode": int, "modifiers": int}; none unless
    // both are integers from 0 to 4294967295.
    static std::optional<KeyCombo> fromDictionary(const QVariantMap& dictionary);
    QVariantMap dictionary() const;

    // The key of the code; none for a code that no key has.
    std::optional<Key> key() const;
    // No key stores code 0.
    void setKey(std::optional<Key> key);

    ModifierFlags modifiers() const;
    // Only the four modifiers are kept.
    void setModifiers(ModifierFlags modifiers);

    // The modifier glyphs, then the key's description: "⌥⇧␣".
    std::string description() const;

    // Combinations that are taken already. None of them is consulted when a
    // hot key is registered or recorded.
    //
    // The desktop's own enabled global shortcuts where it lists them (GNOME's
    // key bindings; Platform::desktopShortcuts()); empty on other desktops.
    static std::vector<KeyCombo> systemKeyCombos();
    // keyCombos(in:) of the application's own menu, the menu of its tray icon
    // (a QSystemTrayIcon that is a child of the application object); empty
    // without a QApplication or such a menu.
    static std::vector<KeyCombo> mainMenuKeyCombos();
    // The key equivalents of the menu's items in order, each item before the
    // items of its submenu. An item counts when the first key of its shortcut
    // names a key (keyFromString of its text); its modifiers give the mask:
    // Meta (the Super key) is command, Alt is option, Control and Shift are
    // themselves, as X11Modifiers.h maps them for hot keys.
    static std::vector<KeyCombo> keyCombos(const QMenu& menu);
    // Combinations that applications commonly use for their own commands
    // (Preferences, Quit, Undo, Copy, Paste, ...).
    static std::vector<KeyCombo> standardKeyCombos();

    bool operator==(const KeyCombo&) const = default;
};

} // namespace HotKey
