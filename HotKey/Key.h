#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace HotKey {

// A physical key, named for its place on the ANSI keyboard. Each case's value is
// the key's virtual key code, the number under which key combinations are
// stored and registered. `returnKey` and `deleteKey` stand for the Return and
// Delete (backspace) keys, whose plain names C++ reserves.
// clang-format off
enum class Key : std::uint8_t {
    a = 0, b = 11, c = 8, d = 2, e = 14, f = 3, g = 5, h = 4, i = 34, j = 38, k = 40, l = 37, m = 46,
    n = 45, o = 31, p = 35, q = 12, r = 15, s = 1, t = 17, u = 32, v = 9, w = 13, x = 7, y = 16, z = 6,
    zero = 29, one = 18, two = 19, three = 20, four = 21, five = 23, six = 22, seven = 26, eight = 28, nine = 25,
    period = 47, quote = 39, rightBracket = 30, semicolon = 41, slash = 44, backslash = 42, comma = 43, equal = 24,
    grave = 50, leftBracket = 33, minus = 27, section = 10,
    space = 49, tab = 48, returnKey = 36,
    command = 55, rightCommand = 54, option = 58, rightOption = 61, control = 59, rightControl = 62, shift = 56,
    rightShift = 60, function = 63, capsLock = 57,
    pageUp = 116, pageDown = 121, home = 115, end = 119,
    upArrow = 126, rightArrow = 124, downArrow = 125, leftArrow = 123,
    f1 = 122, f2 = 120, f3 = 99, f4 = 118, f5 = 96, f6 = 97, f7 = 98, f8 = 100, f9 = 101, f10 = 109,
    f11 = 103, f12 = 111, f13 = 105, f14 = 107, f15 = 113, f16 = 106, f17 = 64, f18 = 79, f19 = 80, f20 = 90,
    keypad0 = 82, keypad1 = 83, keypad2 = 84, keypad3 = 85, keypad4 = 86, keypad5 = 87, keypad6 = 88,
    keypad7 = 89, keypad8 = 91, keypad9 = 92,
    keypadClear = 71, keypadDecimal = 65, keypadDivide = 75, keypadEnter = 76, keypadEquals = 81, keypadMinus = 78,
    keypadMultiply = 67, keypadPlus = 69,
    escape = 53, deleteKey = 51, forwardDelete = 117, help = 114,
    volumeUp = 72, volumeDown = 73, mute = 74,
};
// clang-format on

// Every key, in the order declared above: the letters a to z come first.
extern const std::array<Key, 114> allKeys;

constexpr std::uint32_t carbonKeyCode(Key key)
{
    return static_cast<std::uint32_t>(key);
}

// The key whose virtual key code `code` is; none for a code that no key has.
std::optional<Key> keyFromCarbonKeyCode(std::uint32_t code);

// The key that `text` names ("a", "F12", "space", "⌘", "]" ...), compared
// without regard to letter case and up to canonical equivalence; none when no
// key has that name.
std::optional<Key> keyFromString(std::string_view text);

// How the key is shown in a key combination: its character or glyph, for
// example "A", "␣" or "⌘".
std::string description(Key key);

} // namespace HotKey
