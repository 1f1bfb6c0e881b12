#pragma once

#include "App/Processing/CommandEffects.h"

#include <functional>

namespace QEL {

// Voice commands acting on this desktop: key presses as DesktopKeyPress spells
// them, punctuation pasted through the clipboard, and stopping the recording
// on the main thread. Callable from any thread; failures are logged.
class DesktopCommandEffects : public CommandEffects {
public:
    // `stopRecording` runs on the main thread for "stop dictation"; it must
    // not be empty.
    explicit DesktopCommandEffects(std::function<void()> stopRecording);

    void pressKey(Key key, ModifierFlags flags) override;
    void pasteText(const std::string& text, std::chrono::milliseconds restoreDelay) override;
    void stopDictation() override;

private:
    std::function<void()> stopRecording_;
};

} // namespace QEL
