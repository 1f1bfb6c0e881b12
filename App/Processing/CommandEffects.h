#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace QEL {

// Virtual key codes: positions on the ANSI keyboard, independent of the layout.
using KeyCode = std::uint16_t;
namespace Key {
inline constexpr KeyCode a = 0;
inline constexpr KeyCode z = 6;
inline constexpr KeyCode c = 8;
inline constexpr KeyCode v = 9;
inline constexpr KeyCode returnKey = 36;
inline constexpr KeyCode tab = 48;
inline constexpr KeyCode backspace = 51;
} // namespace Key

// Modifier masks of a keyboard event.
using ModifierFlags = std::uint64_t;
namespace Modifier {
inline constexpr ModifierFlags none = 0;
inline constexpr ModifierFlags shift = 0x20000;
inline constexpr ModifierFlags option = 0x80000;
inline constexpr ModifierFlags command = 0x100000;
} // namespace Modifier

// What executing a voice command does to the desktop and the application.
// The desktop implementation (synthetic key events, the clipboard, the main
// thread) belongs with text insertion; tests record the calls.
class CommandEffects {
public:
    virtual ~CommandEffects() = default;

    // Posts a key-down and then a key-up of `key`, both with exactly `flags`
    // (an empty mask clears any modifier the user still holds). A press that
    // cannot be created is skipped.
    virtual void pressKey(KeyCode key, ModifierFlags flags) = 0;

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
