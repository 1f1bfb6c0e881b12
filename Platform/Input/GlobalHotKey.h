#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace Platform {

// How a registered hot key is named in its events: the registering library's
// four-character signature and its own number for the key.
struct HotKeyID {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    bool operator==(const HotKeyID&) const = default;
};

// A press or a release of a registered hot key.
struct HotKeyEvent {
    static constexpr std::uint32_t pressed = 5;
    static constexpr std::uint32_t released = 6;

    std::uint32_t kind = pressed;
    HotKeyID hotKeyID;
};

// Why a key combination could not be registered, in words that complete
// "Cannot register the hot key ...: ".
class HotKeyRegistrationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A key combination that reaches this program whichever window has the
// keyboard focus, for as long as the object lives: the key is grabbed on the
// root window of the X display, also in the variants with Caps Lock and Num
// Lock on, so the combination works whatever the lock state.
//
// Combinations are given as a virtual key code (see VirtualKeyCodes.h) and a
// mask of CarbonModifier bits; Option is Alt (Mod1) and Command is Super (Mod4).
// Holding the combination down produces one press and one release, not the
// keyboard's auto-repeat.
//
// Everything here runs on the main thread, where the QCoreApplication's event
// loop reads the presses; the hot keys have an X connection of their own, open
// while any is registered, so no other code's requests delay their events.
class GlobalHotKey {
public:
    // Grabs the combination. Throws HotKeyRegistrationError when there is no X
    // display or no application event loop, when the keyboard has no key for
    // the code, or when this or another program holds the combination already.
    GlobalHotKey(std::uint32_t virtualKeyCode, std::uint32_t carbonModifiers, HotKeyID id);
    // Releases the grab.
    ~GlobalHotKey();
    GlobalHotKey(const GlobalHotKey&) = delete;
    GlobalHotKey& operator=(const GlobalHotKey&) = delete;

    // The one function that receives the events of every registered hot key,
    // on the main thread; it replaces any earlier one.
    static void setEventHandler(std::function<void(const HotKeyEvent&)> handler);

private:
    std::uint8_t keycode_;
    std::uint16_t modifiers_;
};

} // namespace Platform
