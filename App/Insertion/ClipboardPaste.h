#pragma once

#include "Platform/Clipboard/ClipboardLoan.h"

#include <chrono>
#include <string>

namespace QEL {

// Pastes `text` into the focused application through the clipboard: the
// clipboard is lent the text, the paste shortcut is pressed (Control+V, or
// Control+Shift+V in a terminal), and the clipboard is given back once
// `restoreDelay` has passed, or at once when the shortcut cannot be sent.
// Callable from any thread: the clipboard and the keys are used on the main
// thread while the caller waits. Returns whether the text went onto the
// clipboard; failures are logged.
bool pasteThroughClipboard(const std::string& text, std::chrono::milliseconds restoreDelay,
                           Platform::ClipboardLoan::WhenEmptyBefore whenEmpty);

} // namespace QEL
