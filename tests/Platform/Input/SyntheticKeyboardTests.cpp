#include "Platform/Input/SyntheticKeyboard.h"

#include "Platform/Desktop/X11Connection.h"
#include "Support/DesktopTest.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using Platform::SyntheticKeyboard;

namespace {

using SyntheticKeyboardOnDesktop = TestSupport::DesktopTest;

bool isDown(xcb_keycode_t keycode)
{
    const Platform::X11Connection& connection = Platform::X11Connection::shared();
    auto keys = connection.reply(xcb_query_keymap_reply, xcb_query_keymap(connection.raw()));
    return keys && (keys->keys[keycode / 8] >> (keycode % 8) & 1);
}

bool onKeyboard(const Platform::KeyboardMapping& mapping, xcb_keysym_t keysym)
{
    return std::find(mapping.keysyms.begin(), mapping.keysyms.end(), keysym) != mapping.keysyms.end();
}

} // namespace

TEST(SyntheticKeyboard, WithoutADisplayNothingIsSentAndTheReasonIsClear)
{
    TestSupport::ScopedEnvironment display("DISPLAY", std::nullopt);
    EXPECT_FALSE(SyntheticKeyboard::isAvailable());
    try {
        SyntheticKeyboard keyboard;
        ADD_FAILURE() << "a keyboard without a display";
    } catch (const Platform::SyntheticInputError& error) {
        EXPECT_STREQ(error.what(), "Cannot send key presses: No X display: DISPLAY is not set");
    }
}

TEST_F(SyntheticKeyboardOnDesktop, SpareKeyCodesLentForTypingAreGivenBackAlsoWhenTypingFails)
{
    const Platform::X11Connection& connection = Platform::X11Connection::shared();
    const Platform::KeyboardMapping before = connection.keyboardMapping();
    ASSERT_FALSE(onKeyboard(before, 0x0101f600));
    EXPECT_THROW(
        {
            SyntheticKeyboard keyboard;
            keyboard.type("😀Ω", std::chrono::milliseconds(0));
            EXPECT_TRUE(onKeyboard(connection.keyboardMapping(), 0x0101f600));
            EXPECT_TRUE(onKeyboard(connection.keyboardMapping(), 0x010003a9));
            throw std::runtime_error("typing ends half-way");
        },
        std::runtime_error);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return connection.keyboardMapping().keysyms == before.keysyms; }));
}

TEST_F(SyntheticKeyboardOnDesktop, ModifierKeysStillHeldAreLetGoBeforeTyping)
{
    const Platform::X11Connection& connection = Platform::X11Connection::shared();
    const auto control = connection.keyboardMapping().find(XK_Control_L);
    const auto shift = connection.keyboardMapping().find(XK_Shift_L);
    ASSERT_TRUE(control && shift);
    ASSERT_EQ(connection.fakeKeyEvent(control->keycode, true), std::nullopt);
    ASSERT_EQ(connection.fakeKeyEvent(shift->keycode, true), std::nullopt);
    ASSERT_TRUE(isDown(control->keycode) && isDown(shift->keycode));

    SyntheticKeyboard keyboard;
    EXPECT_FALSE(isDown(control->keycode));
    EXPECT_FALSE(isDown(shift->keycode));
}
