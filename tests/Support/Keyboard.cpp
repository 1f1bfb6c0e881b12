#include "Support/Keyboard.h"

#include "Platform/Desktop/X11Connection.h"

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
void chord(const Platform::X11Connection& connection, const std::vector<xcb_keycode_t>& keycodes)
{
    for (xcb_keycode_t keycode : keycodes)
        send(connection, keycode, true);
    for (auto keycode = keycodes.rbegin(); keycode != keycodes.rend(); ++keycode)
        send(connection, *keycode, false);
    connection.sync();
}

} // namespace

void pressKeys(std::initializer_list<xcb_keysym_t> keysyms)
{
    const Platform::X11Connection& connection = Platform::X11Connection::shared();
    const Platform::KeyboardMapping mapping = connection.keyboardMapping();
    std::vector<xcb_keycode_t> keycodes;
    for (xcb_keysym_t keysym : keysyms)
        keycodes.push_back(keyFor(mapping, keysym).keycode);
    chord(connection, keycodes);
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
