#pragma once

#include "App/Insertion/TextInserting.h"

namespace QEL {

// Inserts text by pasting it through the clipboard, whose contents (every
// form: text, images, anything) come back 0.15 s later, unless something else
// has been copied meanwhile. Callable from any thread; returns once the paste
// has been sent.
class PasteInserter : public TextInserting {
public:
    void insert(const std::string& text) override;
};

} // namespace QEL
