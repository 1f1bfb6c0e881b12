#pragma once

#include "Platform/Desktop/KeyboardMapping.h"
#include "Platform/Input/SyntheticInputError.h"

#include <xcb/xcb.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

namespace Platform {

class X11Connection;
struct SharedKeyboard;

// Key presses made up by this process (XTEST): they go wherever real ones
// would, to the application that has the keyboard focus. An object stands for
// one sequence of presses and holds the keyboard meanwhile, so sequences of
// different threads never mix; a thread makes one at a time. At the start it
// lets go of modifier keys still held down (the user's hot key, a press that
// failed half-way), so that no Control or Alt changes what is sent.
//
// Symbols the keyboard lacks are typed on spare key codes lent to them, which
// stay lent for the next sequences and are given back two seconds after the
// last sequence ends (or when the process ends).
class SyntheticKeyboard {
public:
    // How long lent key codes stay lent after a sequence.
    static constexpr std::chrono::seconds lendingTime{2};

    // Whether this process may send key presses: there is an X display and
    // it offers XTEST.
    static bool isAvailable();

    // The window that key presses go to at this moment (the X input focus,
    // which may also be None or PointerRoot). Throws SyntheticInputError.
    xcb_window_t focusWindow() const;
    // From now on each press of this sequence goes out only while `window`
    // has the keyboard focus. The check and the press happen with the display
    // held, so no other client can move the focus between them; once the
    // focus is elsewhere, presses throw KeyboardFocusMoved and send nothing.
    void keepToFocusWindow(xcb_window_t window) { requiredFocus_ = window; }

    // Throws SyntheticInputError when key presses cannot be sent.
    SyntheticKeyboard();
    ~SyntheticKeyboard();
    SyntheticKeyboard(const SyntheticKeyboard&) = delete;
    SyntheticKeyboard& operator=(const SyntheticKeyboard&) = delete;

    // Presses the `modifiers` in order, then `key`, and releases them all in
    // reverse, holding Shift too where the keyboard needs it for `key`. Keys
    // pressed are released even when a later one fails. Throws
    // SyntheticInputError.
    void press(xcb_keysym_t key, std::span<const xcb_keysym_t> modifiers = {});

    // Types UTF-8 text character by character (a letter with its combining
    // marks, a flag, CR LF are one character each), pausing after each one: a
    // line feed as Return, a tab as Tab, and other control characters not at
    // all. Throws SyntheticInputError; the characters before have been typed.
    void type(std::string_view text, std::chrono::duration<double> pauseAfterEachCharacter);

private:
    struct Position {
        xcb_keycode_t keycode;
        bool needsShift;
    };

    void typeCodePoint(char32_t codePoint);
    Position positionOf(xcb_keysym_t keysym);
    // Lets go of the keys of Shift, Control and Mod1 to Mod5 that are down.
    void releaseHeldModifiers();
    void send(xcb_keycode_t keycode, bool press);

    SharedKeyboard& shared_;
    std::unique_lock<std::mutex> turn_;
    KeyboardMapping mapping_; // real keys only: SharedKeyboard's spares handle the rest
    std::optional<xcb_window_t> requiredFocus_;
};

} // namespace Platform
