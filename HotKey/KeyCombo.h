#pragma once

#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"

#include <QVariantMap>

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

    // Combinations that applications commonly use for their own commands
    // (Preferences, Quit, Undo, Copy, Paste, ...).
    static std::vector<KeyCombo> standardKeyCombos();

    bool operator==(const KeyCombo&) const = default;
};

} // namespace HotKey
