#include "Platform/Desktop/X11Connection.h"

#include "Support/DesktopTest.h"
#include "Support/Keyboard.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using Platform::X11Connection;
using Platform::X11Error;

TEST(X11Connection, ClearErrorWithoutAUsableDisplay)
{
    struct Case {
        std::optional<std::string> display;
        std::string expected;
    };
    for (const Case& test : std::vector<Case>{
             {std::nullopt, "No X display: DISPLAY is not set"},
             {":4711", "Cannot open the X display \":4711\": no X server answers there"},
         }) {
        TestSupport::ScopedEnvironment display("DISPLAY", test.display);
        try {
            X11Connection connection;
            ADD_FAILURE() << "opened " << test.display.value_or("no display");
        } catch (const Platform::X11Unavailable& error) {
            EXPECT_EQ(error.what(), test.expected);
        }
    }
}

using X11ConnectionOnDesktop = TestSupport::DesktopTest;

TEST_F(X11ConnectionOnDesktop, QueryOfAClosedWindowGetsBadWindow)
{
    X11Connection connection;
    const xcb_window_t window = xcb_generate_id(connection.raw());
    xcb_create_window(connection.raw(), XCB_COPY_FROM_PARENT, window, connection.root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    ASSERT_EQ(connection.check(xcb_destroy_window_checked(connection.raw(), window)), std::nullopt);

    auto wmClass =
        connection.reply(xcb_get_property_reply,
                         xcb_get_property(connection.raw(), 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64));
    ASSERT_FALSE(wmClass);
    EXPECT_EQ(wmClass.error()->code, XCB_WINDOW);
    EXPECT_EQ(wmClass.error()->resourceId, window);
    EXPECT_EQ(wmClass.error()->description().substr(0, 13), "BadWindow (3)");
}

TEST_F(X11ConnectionOnDesktop, SecondGrabOfAKeyGetsBadAccessAndTheFirstGetsThePresses)
{
    X11Connection owner;
    X11Connection rival;
    const xcb_keycode_t space = owner.keyboardMapping().find(XK_space)->keycode;
    const std::uint16_t altShift = XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT;
    auto grab = [&](X11Connection& connection) {
        return connection.check(xcb_grab_key_checked(connection.raw(), 1, connection.root(), altShift, space,
                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    };
    ASSERT_EQ(grab(owner), std::nullopt);
    const std::optional<X11Error> refused = grab(rival);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, XCB_ACCESS);

    TestSupport::pressKeys({XK_Alt_L, XK_Shift_L, XK_space});
    bool pressed = false;
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        while (auto event = owner.pollForEvent()) {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
            pressed = pressed || ((event->response_type & 0x7f) == XCB_KEY_PRESS && key->detail == space &&
                                  (key->state & altShift) == altShift);
        }
        return pressed;
    }));
}

TEST_F(X11ConnectionOnDesktop, ErrorsOfUncheckedRequestsGoToTheHandler)
{
    X11Connection connection;
    std::vector<X11Error> errors;
    connection.setErrorHandler([&](const X11Error& error) { errors.push_back(error); });
    const xcb_window_t missing = connection.root() + 0x7fff; // an id this client never made
    xcb_map_window(connection.raw(), missing);
    connection.sync();

    EXPECT_TRUE(TestSupport::waitUntil([&] {
        while (connection.pollForEvent()) {}
        return !errors.empty();
    }));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].code, XCB_WINDOW);
    EXPECT_EQ(errors[0].resourceId, missing);
}

TEST_F(X11ConnectionOnDesktop, ReadsTheKeyboardAndItsModifiers)
{
    const X11Connection& connection = X11Connection::shared();
    EXPECT_TRUE(connection.hasXTest());
    const Platform::KeyboardMapping mapping = connection.keyboardMapping();
    const auto lower = mapping.find(XK_a);
    const auto upper = mapping.find(XK_A);
    ASSERT_TRUE(lower && upper);
    EXPECT_EQ(*upper, (Platform::KeyboardMapping::Position{lower->keycode, 1}));
    EXPECT_EQ(mapping.keysymsOf(lower->keycode)[0], static_cast<xcb_keysym_t>(XK_a));
    EXPECT_EQ(mapping.find(XK_EuroSign), std::nullopt); // not on the standard US layout

    EXPECT_EQ(connection.modifierMask(XK_Shift_L), XCB_MOD_MASK_SHIFT);
    EXPECT_EQ(connection.modifierMask(XK_Num_Lock), XCB_MOD_MASK_2);
    EXPECT_EQ(connection.modifierMask(XK_a), 0);
}
