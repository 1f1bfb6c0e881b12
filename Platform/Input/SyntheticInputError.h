#pragma once

#include <stdexcept>

namespace Platform {

// Key presses could not be sent: no X display, no XTEST, a key the keyboard
// cannot produce, or the server refused an event. what() says which.
class SyntheticInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A key press was not sent because the keyboard focus had left the window
// the presses were kept to.
class KeyboardFocusMoved : public SyntheticInputError {
public:
    KeyboardFocusMoved() : SyntheticInputError("The keyboard focus moved to another window") {}
};

} // namespace Platform
