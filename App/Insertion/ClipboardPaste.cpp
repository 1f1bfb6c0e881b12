#include "App/Insertion/ClipboardPaste.h"

#include "App/Insertion/DesktopKeyPress.h"
#include "App/Insertion/InsertionFailure.h"
#include "Platform/Clipboard/Clipboard.h"
#include "Platform/EventLoop/MainThread.h"
#include "Platform/Input/SyntheticKeyboard.h"

namespace QEL {

namespace {

// The main thread may be reading a slow application's clipboard, which Qt
// waits for up to five seconds.
constexpr std::chrono::seconds mainThreadWaitLimit{10};

} // namespace

bool pasteThroughClipboard(const std::string& text, std::chrono::milliseconds restoreDelay,
                           Platform::ClipboardLoan::WhenEmptyBefore whenEmpty)
{
    // Asked here, so the main thread spends no time on it.
    const DesktopKeyPress paste = *desktopKeyPress(Key::v, ModifierFlags::command, AppContext::detect());
    bool copied = false;
    const auto pasteOnMainThread = [&] {
        const Platform::ClipboardLoan loan(text);
        copied = true;
        try {
            Platform::SyntheticKeyboard keyboard;
            keyboard.press(paste.key, paste.modifiers);
        } catch (const Platform::SyntheticInputError& error) {
            loan.giveBackNow();
            logInsertionFailure(std::string("Cannot paste, so the clipboard was given back: ") + error.what());
            return;
        }
        loan.giveBack(restoreDelay, whenEmpty);
    };
    try {
        if (!Platform::runOnMainThreadAndWait(pasteOnMainThread, mainThreadWaitLimit))
            logInsertionFailure(
                "Cannot paste: the application's main thread did not take up the clipboard work within " +
                std::to_string(mainThreadWaitLimit.count()) + " s");
    } catch (const Platform::ClipboardUnavailable& error) {
        logInsertionFailure(std::string("Cannot paste: ") + error.what());
    }
    return copied;
}

} // namespace QEL
