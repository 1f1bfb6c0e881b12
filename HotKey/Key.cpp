#include "HotKey/Key.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/Normalization.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace HotKey {

using enum Key;

// clang-format off
const std::array<Key, 114> allKeys{
    a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, v, w, x, y, z,
    zero, one, two, three, four, five, six, seven, eight, nine,
    period, quote, rightBracket, semicolon, slash, backslash, comma, equal, grave, leftBracket, minus, section,
    space, tab, returnKey,
    command, rightCommand, option, rightOption, control, rightControl, shift, rightShift, function, capsLock,
    pageUp, pageDown, home, end,
    upArrow, rightArrow, downArrow, leftArrow,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12, f13, f14, f15, f16, f17, f18, f19, f20,
    keypad0, keypad1, keypad2, keypad3, keypad4, keypad5, keypad6, keypad7, keypad8, keypad9,
    keypadClear, keypadDecimal, keypadDivide, keypadEnter, keypadEquals, keypadMinus, keypadMultiply, keypadPlus,
    escape, deleteKey, forwardDelete, help,
    volumeUp, volumeDown, mute,
};
// clang-format on

namespace {

// A key's description and every text that names it.
struct KeyText {
    Key key;
    std::string description;
    std::vector<std::string> names;
};

constexpr std::array<Key, 10> digitKeys{zero, one, two, three, four, five, six, seven, eight, nine};
constexpr std::array<Key, 10> keypadDigitKeys{keypad0, keypad1, keypad2, keypad3, keypad4,
                                              keypad5, keypad6, keypad7, keypad8, keypad9};
constexpr std::array<Key, 20> functionKeys{f1,  f2,  f3,  f4,  f5,  f6,  f7,  f8,  f9,  f10,
                                           f11, f12, f13, f14, f15, f16, f17, f18, f19, f20};
constexpr std::array<std::string_view, 10> digitWords{"zero", "one", "two",   "three", "four",
                                                      "five", "six", "seven", "eight", "nine"};

// U+21A9 with the text-style variation selector, so it never turns into an emoji.
const std::string returnGlyph = "\u21A9\uFE0E";

std::vector<KeyText> makeKeyTexts()
{
    std::vector<KeyText> texts;
    for (std::size_t index = 0; index < 26; ++index) {
        const char letter = static_cast<char>('a' + index);
        texts.push_back({allKeys[index], std::string(1, static_cast<char>('A' + index)), {std::string(1, letter)}});
    }
    for (std::size_t digit = 0; digit < 10; ++digit) {
        const std::string text(1, static_cast<char>('0' + digit));
        texts.push_back({digitKeys[digit], text, {std::string(digitWords[digit]), text}});
        texts.push_back({keypadDigitKeys[digit], text, {"keypad" + text}});
    }
    for (std::size_t index = 0; index < functionKeys.size(); ++index) {
        const std::string label = "F" + std::to_string(index + 1);
        // The private-use characters that draw "F1" to "F9" and "F10" and up in one glyph.
        const std::string description = (index < 9 ? "\uF860" : "\uF861") + label;
        texts.push_back({functionKeys[index], description, {"f" + std::to_string(index + 1), description}});
    }
    std::vector<KeyText> others{
        {period, ".", {"period", "."}},
        {quote, "\"", {"quote", "\""}},
        {rightBracket, "]", {"rightBracket", "]"}},
        {semicolon, ";", {"semicolon", ";"}},
        {slash, "/", {"slash", "/"}},
        {backslash, "\\", {"backslash", "\\"}},
        {comma, ",", {"comma", ","}},
        {equal, "=", {"equal", "="}},
        {grave, "`", {"grave", "`", "\u02CB", "\uFF40"}},
        {leftBracket, "[", {"leftBracket", "["}},
        {minus, "-", {"minus", "-"}},
        {section, "\u00A7", {"section", "\u00A7"}},
        {space, "\u2423", {"space", " ", "\u2423"}},
        {tab, "\u21E5", {"tab", "\t", "\u21E5"}},
        {returnKey, returnGlyph, {"return", "\r", returnGlyph, "\u23CE", "\u2B90"}},
        {command, "\u2318", {"command", "\u2318", "\uF8FF"}},
        {rightCommand, "\u2318", {"rightcommand"}},
        {option, "\u2325", {"option", "\u2325"}},
        {rightOption, "\u2325", {"rightoption"}},
        {control, "\u2303", {"control", "\u2303"}},
        {rightControl, "\u2303", {"rightcontrol"}},
        {shift, "\u21E7", {"shift", "\u21E7"}},
        {rightShift, "\u21E7", {"rightshift"}},
        {function, "fn", {"function", "fn"}},
        {capsLock, "\u21EA", {"capslock", "\u21EA"}},
        {pageUp, "\u21DE", {"pageup", "\u21DE"}},
        {pageDown, "\u21DF", {"pagedown", "\u21DF"}},
        {home, "\u2196", {"home", "\u2196"}},
        {end, "\u2198", {"end", "\u2198"}},
        {upArrow, "\u2191", {"uparrow", "\u2191"}},
        {rightArrow, "\u2192", {"rightarrow", "\u2192"}},
        {downArrow, "\u2193", {"downarrow", "\u2193"}},
        {leftArrow, "\u2190", {"leftarrow", "\u2190"}},
        {keypadClear, "\u2327", {"keypadclear", "\u2327"}},
        {keypadDecimal, ".", {"keypaddecimal"}},
        {keypadDivide, "/", {"keypaddivide"}},
        {keypadEnter, returnGlyph, {"keypadenter"}},
        {keypadEquals, "=", {"keypadequals"}},
        {keypadMinus, "-", {"keypadminus"}},
        {keypadMultiply, "\U0001D5D1", {"keypadmultiply"}},
        {keypadPlus, "+", {"keypadplus"}},
        {escape, "\u238B", {"escape", "\u238B"}},
        {deleteKey, "\u232B", {"delete", "\u232B"}},
        {forwardDelete, "\u2326", {"forwarddelete", "\u2326"}},
        {help, "?\u20DD", {"help", "?\u20DD"}},
        {volumeUp, "\U0001F50A", {"volumeup", "\U0001F50A"}},
        {volumeDown, "\U0001F509", {"volumedown", "\U0001F509"}},
        {mute, "\U0001F507", {"mute", "\U0001F507"}},
    };
    texts.insert(texts.end(), std::make_move_iterator(others.begin()), std::make_move_iterator(others.end()));
    return texts;
}

// Names compare in their full lower-case form, then composed, so that "F12",
// "RIGHTBRACKET" or a decomposed accent find their key.
std::string comparable(std::string_view text)
{
    return Platform::nfc(Platform::lowercased(text));
}

struct KeyTables {
    std::unordered_map<Key, std::string> descriptions;
    std::unordered_map<std::string, Key> byName;

    KeyTables()
    {
        for (KeyText& text : makeKeyTexts()) {
            for (const std::string& name : text.names)
                byName.emplace(comparable(name), text.key);
            descriptions.emplace(text.key, std::move(text.description));
        }
    }
};

const KeyTables& tables()
{
    static const KeyTables tables;
    return tables;
}

// Codes 0 to 126: the inverse of the key codes, with gaps where no key is.
const std::array<std::optional<Key>, 127> keysByCode = [] {
    std::array<std::optional<Key>, 127> table{};
    for (Key key : allKeys)
        table[carbonKeyCode(key)] = key;
    return table;
}();

} // namespace

std::optional<Key> keyFromCarbonKeyCode(std::uint32_t code)
{
    return code < keysByCode.size() ? keysByCode[code] : std::nullopt;
}

std::optional<Key> keyFromString(std::string_view text)
{
    const auto& byName = tables().byName;
    if (auto found = byName.find(comparable(text)); found != byName.end())
        return found->second;
    return std::nullopt;
}

std::string description(Key key)
{
    return tables().descriptions.at(key);
}

} // namespace HotKey
