#pragma once

#include "App/Insertion/TextInserting.h"

#include <atomic>

namespace QEL {

// Inserts text by typing it as synthetic key presses, character by character
// (a letter with its combining marks is one character), pausing after each.
// Any Unicode character is typed, emoji included; a line feed is a Return, a
// tab a Tab, and other control characters are left out. Blocks the calling
// thread until the last key has been sent.
//
// The keys go to the window that had the keyboard focus when the typing
// started: when the focus moves to another (the target closed, or the user
// moved on), the typing stops with a log line, so that text meant for one
// window never runs as commands in another.
class KeystrokeInserter : public TextInserting {
public:
    // The pause after each character, in seconds.
    explicit KeystrokeInserter(double interKeystrokeDelay = 0.005);

    double interKeystrokeDelay() const { return interKeystrokeDelay_; }

    void insert(const std::string& text) override;
    void stopInserting() override;

private:
    double interKeystrokeDelay_;
    std::atomic<bool> isStopped_ = false;
};

} // namespace QEL
