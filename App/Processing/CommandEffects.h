#pragma once

#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"

#include <chrono>
#include <string>

namespace QEL {

using HotKey::Key;
using HotKey::ModifierFlags;

// What executing a voice command does to the desktop and the application.
// The desktop's own is DesktopCommandEffects, with text insertion; tests
// record the calls.
class CommandEffects {
public:
    virtual ~CommandEffects() = default;

    // Posts a key-down and then a key-up of `key`, both with exactly `flags`
    // (an empty mask clears any modifier the user still holds). A press that
    // cannot be created is skipped.
    virtual void pressKey(Key key, ModifierFlags flags) = 0;

    // Pastes `text` into the focused application through the clipboard and,
    // once `restoreDelay` has passed, puts back every form of what the
    // clipboard held before; a clipboard that was empty keeps `text`. Returns
    // at once after the paste has been sent.
    virtual void pasteText(const std::string& text, std::chrono::milliseconds restoreDelay) = 0;

    // Starts stopping the recording on the main thread; returns at once.
    virtual void stopDictation() = 0;
};

} // namespace QEL
