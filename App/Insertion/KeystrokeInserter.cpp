#include "App/Insertion/KeystrokeInserter.h"

#include "App/Insertion/InsertionFailure.h"
#include "Platform/Input/SyntheticKeyboard.h"

#include <chrono>

namespace QEL {

KeystrokeInserter::KeystrokeInserter(double interKeystrokeDelay) : interKeystrokeDelay_(interKeystrokeDelay) {}

void KeystrokeInserter::insert(const std::string& text)
{
    if (text.empty())
        return;
    try {
        Platform::SyntheticKeyboard keyboard;
        keyboard.type(text, std::chrono::duration<double>(interKeystrokeDelay_));
    } catch (const Platform::SyntheticInputError& error) {
        logInsertionFailure(std::string("Cannot type the text: ") + error.what());
    }
}

} // namespace QEL
