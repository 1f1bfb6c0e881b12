#pragma once

#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace QEL {

using HotKey::Key;
using HotKey::ModifierFlags;

// What executing a voice command does to the desktop and the application.
// The desktop implementation (synthetic key events, the clipboard, the main
// thread) belongs with text insertion; tests record the calls.
class CommandEffects {
public:
    virtual ~CommandEffects() = default;

    // Posts a key-down and then a key-up of `key`, both with exactly `flags`
    // (an empty mask clears any modifier the user still holds). A press that
    // cannot be created is skipped.
    virtual void pressKey(Key key, ModifierFlags flags) = 0;

    // The pasteboard's plain-text string, if it holds one.
    virtual std::optional<std::string> pasteboardString() = 0;
    // Clears the pasteboard and writes `text` to it as plain text.
    virtual void setPasteboardString(const std::string& text) = 0;

    // Runs `work` on the main thread once `delay` has passed; returns at once.
    virtual void runOnMainThreadAfter(std::chrono::milliseconds delay, std::function<void()> work) = 0;

    // Starts stopping the recording on the main thread; returns at once.
    virtual void stopDictation() = 0;
};

} // namespace QEL
