#include "App/Insertion/KeystrokeInserter.h"

#include "App/Insertion/InsertionFailure.h"
#include "Platform/Input/SyntheticKeyboard.h"
#include "Platform/Text/Graphemes.h"

#include <chrono>

namespace QEL {

KeystrokeInserter::KeystrokeInserter(double interKeystrokeDelay) : interKeystrokeDelay_(interKeystrokeDelay) {}

void KeystrokeInserter::insert(const std::string& text)
{
    if (text.empty() || isStopped_)
        return;
    try {
        Platform::SyntheticKeyboard keyboard;
        keyboard.keepToFocusWindow(keyboard.focusWindow());
        for (const std::string_view character : Platform::graphemeClusters(text)) {
            if (isStopped_)
                return;
            keyboard.type(character, std::chrono::duration<double>(interKeystrokeDelay_));
        }
    } catch (const Platform::KeyboardFocusMoved&) {
        logInsertionFailure("Typing stopped: another window has the focus now");
    } catch (const Platform::SyntheticInputError& error) {
        logInsertionFailure(std::string("Cannot type the text: ") + error.what());
    }
}

void KeystrokeInserter::stopInserting()
{
    isStopped_ = true;
}

} // namespace QEL
