#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <initializer_list>
#include <string_view>

namespace TestSupport {

// Synthetic typing through XTEST on the shared X connection: the events reach
// whichever window has the keyboard focus, as real key presses would. Both
// throw std::runtime_error when a symbol is not on the keyboard or the server
// refuses an event.

// Presses the keys in order and releases them in reverse, as a person holds a
// combination: pressKeys({XK_Alt_L, XK_Shift_L, XK_space}).
void pressKeys(std::initializer_list<xcb_keysym_t> keysyms);

// The same, holding the keys down for `duration` (long enough and the keyboard
// repeats the last one) while this thread's Qt events are processed.
void holdKeys(std::initializer_list<xcb_keysym_t> keysyms, std::chrono::milliseconds duration);

// Types each character of a Latin-1 `text`, holding Shift where the keyboard
// needs it ("Hello, QEL!").
void typeText(std::string_view text);

} // namespace TestSupport
