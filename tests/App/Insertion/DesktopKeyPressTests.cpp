#include "App/Insertion/DesktopKeyPress.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using namespace QEL;

TEST(DesktopKeyPress, CommandIsControlAndControlWithShiftInATerminal)
{
    const struct {
        Key key;
        ModifierFlags flags;
        AppContext::Kind frontmost;
        std::optional<DesktopKeyPress> expected;
    } cases[] = {
        {Key::v, ModifierFlags::command, AppContext::general, DesktopKeyPress{XK_v, {XK_Control_L}}},
        {Key::v, ModifierFlags::command, AppContext::terminal, DesktopKeyPress{XK_v, {XK_Control_L, XK_Shift_L}}},
        {Key::c, ModifierFlags::command, AppContext::terminal, DesktopKeyPress{XK_c, {XK_Control_L, XK_Shift_L}}},
        {Key::z, ModifierFlags::command, AppContext::codeEditor, DesktopKeyPress{XK_z, {XK_Control_L}}},
        {Key::a, ModifierFlags::command | ModifierFlags::shift, AppContext::general,
         DesktopKeyPress{XK_a, {XK_Control_L, XK_Shift_L}}},
        // Deleting a word back.
        {Key::deleteKey, ModifierFlags::option, AppContext::general, DesktopKeyPress{XK_BackSpace, {XK_Control_L}}},
        {Key::deleteKey, ModifierFlags::option, AppContext::terminal, DesktopKeyPress{XK_BackSpace, {XK_Control_L}}},
        {Key::returnKey, ModifierFlags{}, AppContext::terminal, DesktopKeyPress{XK_Return, {}}},
        {Key::tab, ModifierFlags::shift, AppContext::general, DesktopKeyPress{XK_Tab, {XK_Shift_L}}},
        {Key::e, ModifierFlags::control, AppContext::terminal, DesktopKeyPress{XK_e, {XK_Control_L}}},
        {Key::function, ModifierFlags{}, AppContext::general, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktopKeyPress(c.key, c.flags, c.frontmost), c.expected)
            << "key " << HotKey::description(c.key) << " flags " << c.flags.rawValue << " kind " << c.frontmost;
}
