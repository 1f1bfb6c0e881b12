#include "Platform/Input/VirtualKeyCodes.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <utility>

TEST(VirtualKeyCodes, AnXKeyIsFoundByItsPlainThenItsShiftedSymbol)
{
    // Keycodes 8 to 13, two symbols each.
    const Platform::KeyboardMapping mapping{8, 2,
                                            {XK_k, XK_K,                 // 8
                                             XK_1, XK_exclam,            // 9
                                             XK_KP_Home, XK_KP_7,        // 10: the keypad's 7
                                             XK_Shift_L, 0,              // 11
                                             XK_ISO_Level3_Shift, 0,     // 12: no virtual key
                                             XK_Return, 0}};             // 13
    const std::pair<xcb_keycode_t, std::optional<std::uint32_t>> cases[] = {
        {8, 40}, {9, 18}, {10, 89}, {11, 56}, {12, std::nullopt}, {13, 36}, {7, std::nullopt}, {14, std::nullopt},
    };
    for (const auto& [keycode, code] : cases)
        EXPECT_EQ(Platform::virtualKeyCodeOfKeycode(mapping, keycode), code) << int(keycode);
}

TEST(VirtualKeyCodes, ShiftedSymbolsAreNoKeysOfTheirOwn)
{
    EXPECT_EQ(Platform::virtualKeyCodeForKeysym(XK_space), 49u);
    for (xcb_keysym_t shifted : {XK_K, XK_exclam, XK_ISO_Left_Tab, 0})
        EXPECT_EQ(Platform::virtualKeyCodeForKeysym(shifted), std::nullopt) << shifted;
}
