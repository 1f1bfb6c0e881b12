#pragma once

#include "App/Insertion/TextInserting.h"

namespace QEL {

// Inserts text by typing it as synthetic key presses, character by character
// (a letter with its combining marks is one character), pausing after each.
// Any Unicode character is typed, emoji included; a line feed is a Return, a
// tab a Tab, and other control characters are left out. Blocks the calling
// thread until the last key has been sent.
class KeystrokeInserter : public TextInserting {
public:
    // The pause after each character, in seconds.
    explicit KeystrokeInserter(double interKeystrokeDelay = 0.005);

    double interKeystrokeDelay() const { return interKeystrokeDelay_; }

    void insert(const std::string& text) override;

private:
    double interKeystrokeDelay_;
};

} // namespace QEL
