#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"

#include "Platform/Input/VirtualKeyCodes.h"
#include "Platform/Text/UnicodeScalars.h"

#include <gtest/gtest.h>

#include <set>

using HotKey::Key;
using HotKey::ModifierFlags;

TEST(Key, EveryCodeLeadsBackToItsKeyAndGapsHaveNone)
{
    std::set<std::uint32_t> codes;
    for (Key key : HotKey::allKeys) {
        EXPECT_EQ(HotKey::keyFromCarbonKeyCode(HotKey::carbonKeyCode(key)), key) << HotKey::carbonKeyCode(key);
        codes.insert(HotKey::carbonKeyCode(key));
    }
    EXPECT_EQ(codes.size(), HotKey::allKeys.size());
    for (std::uint32_t code : {52u, 66u, 68u, 70u, 77u, 93u, 94u, 95u, 102u, 104u, 108u, 110u, 112u, 127u, 4096u})
        EXPECT_EQ(HotKey::keyFromCarbonKeyCode(code), std::nullopt) << code;
    EXPECT_EQ(HotKey::carbonKeyCode(Key::space), 49u);
    EXPECT_EQ(HotKey::carbonKeyCode(Key::a), 0u);
    EXPECT_EQ(HotKey::carbonKeyCode(Key::upArrow), 126u);
}

TEST(Key, NamesFindTheirKeyInAnyLetterCase)
{
    const struct {
        std::string text;
        std::optional<Key> key;
    } cases[] = {
        {"A", Key::a},
        {"rightbracket", Key::rightBracket},
        {"RiGhTbRaCkEt", Key::rightBracket},
        {"F12", Key::f12},
        {"\uF860F3", Key::f3},
        {"1", Key::one},
        {"One", Key::one},
        {"keypad1", Key::keypad1},
        {" ", Key::space},
        {"\u2423", Key::space},
        {"\t", Key::tab},
        {"\r", Key::returnKey},
        {"\u21A9\uFE0E", Key::returnKey},
        {"\u23CE", Key::returnKey},
        {"delete", Key::deleteKey},
        {"\u02CB", Key::grave},
        {"\uF8FF", Key::command},
        {"fn", Key::function},
        {"?\u20DD", Key::help},
        {"\u00A7", Key::section},
        {"keypadEnter", Key::keypadEnter},
        {"+", std::nullopt}, // the keypad's plus is reached only by its name
        {"", std::nullopt},
        {"space ", std::nullopt},
        {"\xFF", std::nullopt},
    };
    for (const auto& test : cases)
        EXPECT_EQ(HotKey::keyFromString(test.text), test.key) << test.text;

    // Every key is found by its name in the table and, where it is unique, by
    // its own description.
    for (Key key : HotKey::allKeys)
        EXPECT_FALSE(HotKey::description(key).empty());
    EXPECT_EQ(HotKey::keyFromString(HotKey::description(Key::volumeDown)), Key::volumeDown);
}

TEST(Key, DescriptionsAreGlyphs)
{
    const struct {
        Key key;
        std::u32string description;
    } cases[] = {
        {Key::a, U"A"},
        {Key::keypad7, U"7"},
        {Key::quote, U"\""},
        {Key::space, U"\u2423"},
        {Key::returnKey, U"\u21A9\uFE0E"},
        {Key::keypadEnter, U"\u21A9\uFE0E"},
        {Key::rightOption, U"\u2325"},
        {Key::f1, U"\uF860F1"},
        {Key::f10, U"\uF861F10"},
        {Key::keypadMultiply, U"\U0001D5D1"},
        {Key::help, U"?\u20DD"},
        {Key::mute, U"\U0001F507"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(Platform::unicodeScalars(HotKey::description(test.key)), test.description);
}

TEST(Key, EveryKeyButFnHasItsOwnXSymbolThatLeadsBackToIt)
{
    std::set<xcb_keysym_t> keysyms;
    for (Key key : HotKey::allKeys) {
        const auto keysym = Platform::keysymForVirtualKeyCode(HotKey::carbonKeyCode(key));
        EXPECT_EQ(keysym.has_value(), key != Key::function) << HotKey::description(key);
        if (keysym) {
            EXPECT_TRUE(keysyms.insert(*keysym).second) << HotKey::description(key);
            EXPECT_EQ(Platform::virtualKeyCodeForKeysym(*keysym), HotKey::carbonKeyCode(key));
        }
    }
    EXPECT_EQ(Platform::keysymForVirtualKeyCode(52), std::nullopt);
    EXPECT_EQ(Platform::keysymForVirtualKeyCode(127), std::nullopt);
}

TEST(ModifierFlags, ConvertToTheHotKeyMaskAndShowAsGlyphsInFixedOrder)
{
    const ModifierFlags capsLock{0x10000};
    const struct {
        ModifierFlags flags;
        std::uint32_t carbon;
        std::string glyphs;
    } cases[] = {
        {ModifierFlags::option | ModifierFlags::shift, 0xA00, "\u2325\u21E7"},
        {capsLock | ModifierFlags::command, 0x100, "\u2318"},
        {ModifierFlags::command | ModifierFlags::control, 0x1100, "\u2303\u2318"},
        {ModifierFlags::control | ModifierFlags::option | ModifierFlags::shift | ModifierFlags::command, 0x1B00,
         "\u2303\u2325\u21E7\u2318"},
        {ModifierFlags{0xFFFF}, 0, ""},
        {{}, 0, ""},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(HotKey::carbonFlags(test.flags), test.carbon) << test.flags.rawValue;
        EXPECT_EQ(HotKey::description(test.flags), test.glyphs) << test.flags.rawValue;
    }
    EXPECT_EQ(ModifierFlags::option | ModifierFlags::shift, ModifierFlags{0xA0000});
    // Only the four modifiers come back from a mask.
    EXPECT_EQ(HotKey::modifierFlagsFromCarbonFlags(0xFFFFFFFF).rawValue, 0x1E0000u);
    EXPECT_EQ(HotKey::description(HotKey::modifierFlagsFromCarbonFlags(0x1A00)), "\u2303\u2325\u21E7");
}
