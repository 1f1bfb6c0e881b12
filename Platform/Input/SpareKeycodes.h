#pragma once

#include "Platform/Desktop/KeyboardMapping.h"

#include <xcb/xcb.h>

#include <chrono>
#include <vector>

namespace Platform {

class X11Connection;

// Key codes that the keyboard leaves without symbols, lent to symbols the
// keyboard lacks (an emoji, a letter of another script) so they can be typed.
//
// Every change of the key table makes each application fetch the table anew
// when it gets to that change among its events, and an application busy with
// a burst of changes may lag well behind. So a key code is given a new symbol,
// or given back, only once the application receiving its last press has had
// `settleTime` to take in the table that press needs.
//
// Not thread-safe: the owner serialises every use.
class SpareKeycodes {
public:
    static constexpr std::chrono::milliseconds settleTime{500};

    explicit SpareKeycodes(const X11Connection& connection);
    SpareKeycodes(const SpareKeycodes&) = delete;
    SpareKeycodes& operator=(const SpareKeycodes&) = delete;

    // Takes in the key table as it stands now: codes without symbols are
    // spare, and codes lent here stay lent only while they still carry their
    // symbol (a new keyboard layout replaces the whole table). Clears the
    // spare and lent codes in `mapping`, so that it finds only real keys.
    void adopt(KeyboardMapping& mapping);

    // A key code that produces `keysym`, with Shift or without: one lent to it
    // earlier, or one lent now, taking over the least recently pressed one
    // when all are lent. Throws SyntheticInputError when the keyboard has no
    // spare key code or the server refuses the change.
    xcb_keycode_t keycodeFor(xcb_keysym_t keysym);
    // Notes that `keycode` has just been pressed; codes not lent are ignored.
    void pressed(xcb_keycode_t keycode);

    bool anyLent() const;
    // Gives every lent code back its empty entry, once settled. Failures are
    // logged: the symbols then stay on unused key codes, which types nothing
    // wrong.
    void giveBackAll();

private:
    struct Loan {
        xcb_keycode_t keycode;
        xcb_keysym_t keysym = 0; // 0 while the code is not lent
        std::chrono::steady_clock::time_point lastPressed{};
    };

    // Puts `keysym` on the loan's key code (0 gives the code back).
    void assign(Loan& loan, xcb_keysym_t keysym);

    const X11Connection& connection_;
    std::uint8_t keysymsPerKeycode_ = 0;
    std::vector<Loan> loans_;
};

} // namespace Platform
