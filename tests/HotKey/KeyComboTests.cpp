#include "HotKey/KeyCombo.h"

#include <gtest/gtest.h>

using HotKey::Key;
using HotKey::KeyCombo;
using HotKey::ModifierFlags;

TEST(KeyCombo, DictionaryRoundTripsAndAnythingButTwoUnsignedIntegersIsRefused)
{
    const KeyCombo combo(Key::space, ModifierFlags::option | ModifierFlags::shift);
    EXPECT_EQ(combo, KeyCombo(49, 0xA00));
    const QVariantMap dictionary = combo.dictionary();
    EXPECT_EQ(dictionary, (QVariantMap{{"keyCode", 49LL}, {"modifiers", 2560LL}}));
    EXPECT_EQ(KeyCombo::fromDictionary(dictionary), combo);
    EXPECT_EQ(KeyCombo::fromDictionary({{"keyCode", 0}, {"modifiers", 4294967295U}}), KeyCombo(0, 0xFFFFFFFF));

    const QVariantMap refused[] = {
        {{"keyCode", 49}},
        {{"modifiers", 2560}},
        {{"keyCode", "49"}, {"modifiers", 2560}},
        {{"keyCode", 49.0}, {"modifiers", 2560}},
        {{"keyCode", 49}, {"modifiers", QVariant()}},
        {{"keyCode", -1}, {"modifiers", 2560}},
        {{"keyCode", 49}, {"modifiers", 4294967296LL}},
        {{"keyCode", 49}, {"modifiers", 18446744073709551615ULL}},
    };
    for (const QVariantMap& dictionary : refused)
        EXPECT_EQ(KeyCombo::fromDictionary(dictionary), std::nullopt) << dictionary.size();
}

TEST(KeyCombo, KeyAndModifiersReadAndWriteThroughTheStoredNumbers)
{
    KeyCombo combo(Key::space, ModifierFlags::option | ModifierFlags::shift);
    EXPECT_EQ(combo.description(), "\u2325\u21E7\u2423");
    EXPECT_EQ(combo.key(), Key::space);

    combo.setModifiers(ModifierFlags{0x10000} | ModifierFlags::command); // caps lock is dropped
    EXPECT_EQ(combo.carbonModifiers, 0x100u);
    EXPECT_EQ(combo.modifiers(), ModifierFlags::command);

    combo.carbonKeyCode = 52; // no key has it
    EXPECT_EQ(combo.key(), std::nullopt);
    EXPECT_EQ(combo.description(), "\u2318");
    combo.setKey(Key::k);
    EXPECT_EQ(combo.carbonKeyCode, 40u);
    combo.setKey(std::nullopt);
    EXPECT_EQ(combo.carbonKeyCode, 0u);
}

TEST(KeyCombo, StandardCombinationsListTheCommonCommandsInOrder)
{
    const std::vector<KeyCombo> list = KeyCombo::standardKeyCombos();
    ASSERT_EQ(list.size(), 46u);
    EXPECT_EQ(list.front(), KeyCombo(Key::comma, ModifierFlags::command));
    EXPECT_EQ(list[17], KeyCombo(Key::v, ModifierFlags::option | ModifierFlags::shift | ModifierFlags::command));
    EXPECT_EQ(list[39], KeyCombo(Key::c, ModifierFlags::control | ModifierFlags::command));
    EXPECT_EQ(list.back(), KeyCombo(Key::slash, ModifierFlags::shift | ModifierFlags::command));
}
