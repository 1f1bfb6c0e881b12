#include "Platform/Input/X11Modifiers.h"

#include <gtest/gtest.h>

#include <utility>

TEST(X11Modifiers, MapBothWaysWithoutTheLocks)
{
    // Option is Alt (Mod1), Command is Super (Mod4).
    const std::pair<std::uint16_t, std::uint32_t> cases[] = {
        {XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1, 0xA00},
        {XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_4, 0x1100},
        {XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4, 0x1B00},
        {0, 0},
    };
    for (const auto& [x11, carbon] : cases) {
        EXPECT_EQ(Platform::carbonModifiersOfX11(x11), carbon) << x11;
        EXPECT_EQ(Platform::x11ModifiersOfCarbon(carbon), x11) << carbon;
    }
    // Caps Lock, Num Lock (usually Mod2), Mod3, Mod5 and mouse buttons add nothing.
    EXPECT_EQ(Platform::carbonModifiersOfX11(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 | XCB_MOD_MASK_3 | XCB_MOD_MASK_5 |
                                             XCB_KEY_BUT_MASK_BUTTON_1 | XCB_MOD_MASK_CONTROL),
              0x1000u);
}
