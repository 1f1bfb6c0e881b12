#include "App/Insertion/DesktopCommandEffects.h"

#include "App/Insertion/ClipboardPaste.h"
#include "App/Insertion/DesktopKeyPress.h"
#include "App/Insertion/InsertionFailure.h"
#include "Platform/EventLoop/MainThread.h"
#include "Platform/Input/SyntheticKeyboard.h"

#include <stdexcept>

namespace QEL {

DesktopCommandEffects::DesktopCommandEffects(std::function<void()> stopRecording)
    : stopRecording_(std::move(stopRecording))
{
    if (!stopRecording_)
        throw std::invalid_argument("the desktop's command effects need a way to stop the recording");
}

void DesktopCommandEffects::pressKey(Key key, ModifierFlags flags)
{
    // Only shortcuts with Command differ in a terminal.
    const AppContext frontmost = flags.contains(ModifierFlags::command) ? AppContext::detect() : AppContext(AppContext::general);
    const std::optional<DesktopKeyPress> press = desktopKeyPress(key, flags, frontmost);
    if (!press) {
        logInsertionFailure("Cannot press the key " + HotKey::description(key) + ": X has no symbol for it");
        return;
    }
    try {
        Platform::SyntheticKeyboard keyboard;
        keyboard.press(press->key, press->modifiers);
    } catch (const Platform::SyntheticInputError& error) {
        logInsertionFailure(std::string("Cannot press a key: ") + error.what());
    }
}

void DesktopCommandEffects::pasteText(const std::string& text, std::chrono::milliseconds restoreDelay)
{
    pasteThroughClipboard(text, restoreDelay, Platform::ClipboardLoan::WhenEmptyBefore::keepText);
}

void DesktopCommandEffects::stopDictation()
{
    Platform::runOnMainThread(stopRecording_);
}

} // namespace QEL
