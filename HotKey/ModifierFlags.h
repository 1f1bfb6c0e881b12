#pragma once

#include <cstdint>
#include <string>

namespace HotKey {

// The modifier keys held with a key, as key events report them. The raw value
// is what settings store, all bits kept; besides the four below, it may carry
// caps lock, function, numeric-pad and device bits, which combinations ignore.
struct ModifierFlags {
    std::uint64_t rawValue = 0;

    static const ModifierFlags shift;
    static const ModifierFlags control;
    static const ModifierFlags option;
    static const ModifierFlags command;

    constexpr bool contains(ModifierFlags flags) const { return (rawValue & flags.rawValue) == flags.rawValue; }
    constexpr ModifierFlags operator|(ModifierFlags flags) const { return {rawValue | flags.rawValue}; }
    constexpr ModifierFlags operator&(ModifierFlags flags) const { return {rawValue & flags.rawValue}; }
    bool operator==(const ModifierFlags&) const = default;
};

inline constexpr ModifierFlags ModifierFlags::shift{0x20000};
inline constexpr ModifierFlags ModifierFlags::control{0x40000};
inline constexpr ModifierFlags ModifierFlags::option{0x80000};
inline constexpr ModifierFlags ModifierFlags::command{0x100000};

// The flags of a hot-key modifier mask (Platform::CarbonModifier); bits other
// than the four modifiers are ignored.
ModifierFlags modifierFlagsFromCarbonFlags(std::uint32_t carbonFlags);

// The hot-key modifier mask of the four modifiers among `flags`; every other
// flag is dropped.
std::uint32_t carbonFlags(ModifierFlags flags);

// The glyphs of the modifiers present, always in the order ⌃ ⌥ ⇧ ⌘; empty
// when none is.
std::string description(ModifierFlags flags);

} // namespace HotKey
