#pragma once

#include <string>

namespace QEL {

// Puts text into the application that has the keyboard focus. Called from
// transcription worker threads; an empty text does nothing.
class TextInserting {
public:
    virtual ~TextInserting() = default;
    virtual void insert(const std::string& text) = 0;
    // For the end of the program: an insertion under way stops as soon as it
    // can, and later ones do nothing. Callable from any thread.
    virtual void stopInserting() {}
};

} // namespace QEL
