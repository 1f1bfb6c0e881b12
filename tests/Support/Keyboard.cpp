#include "Support/Keyboard.h"

#include "Platform/Desktop/X11Connection.h"
#include "Support/Waiting.h"

#include <X11/keysym.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace TestSupport {

namespace {

Platform::KeyboardMapping::Position keyFor(const Platform::KeyboardMapping& mapping, xcb_keysym_t keysym)
{
    const auto position = mapping.find(keysym);
    if (!position)
        throw std::runtime_error("keysym " + std::to_string(keysym) + " is not on the keyboard");
    return *position;
}

void send(const Platform::X11Connection& connection, xcb_keycode_t keycode, bool press)
{
    if (auto error = connection.fakeKeyEvent(keycode, press))
        throw std::runtime_error("the X server refused a key event: " + error->description());
}

// Presses, then releases in reverse order.
void chord(const Platform::X11Connection& connection, const std::vector<xcb_keycode_t>& keycodes,
           std::chrono::milliseconds hold = {})
{
    for (xcb_keycode_t keycode : keycodes)
        send(connection, keycode, true);
    if (hold > hold.zero()) {
        connection.sync();
        waitUntil([] { return false; }, hold);
    }
    for (auto keycode = keycodes.rbegin(); keycode != keycodes.rend(); ++keycode)
        send(connection, *keycode, false);
    connection.sync();
}

std::vector<xcb_keycode_t> keycodesOf(std::initializer_list<xcb_keysym_t> keysyms)
{
    const Platform::KeyboardMapping mapping = Platform::X11Connection::shared().keyboardMapping();
    std::vector<xcb_keycode_t> keycodes;
    for (xcb_keysym_t keysym : keysyms)
        keycodes.push_back(keyFor(mapping, keysym).keycode);
    return keycodes;
}

} // namespace

void pressKeys(std::initializer_list<xcb_keysym_t> keysyms)
{
    chord(Platform::X11Connection::shared(), keycodesOf(keysyms));
}

void holdKeys(std::initializer_list<xcb_keysym_t> keysyms, std::chrono::milliseconds duration)
{
    chord(Platform::X11Connection::shared(), keycodesOf(keysyms), duration);
}

void typeText(std::string_view text)
{
    const Platform::X11Connection& connection = Platform::X11Connection::shared();
    const Platform::KeyboardMapping mapping = connection.keyboardMapping();
    const xcb_keycode_t shift = keyFor(mapping, XK_Shift_L).keycode;
    for (unsigned char character : text) {
        // Latin-1 characters have key symbols of the same value.
        const auto key = keyFor(mapping, character);
        if (key.level == 1)
            chord(connection, {shift, key.keycode});
        else
            chord(connection, {key.keycode});
    }
}

} // namespace TestSupport
