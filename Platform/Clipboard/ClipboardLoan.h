#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace Platform {

// Borrows the clipboard to paste a text: what the clipboard holds, in every
// form, is saved, the text takes its place, and later the saved contents come
// back. Main thread only.
class ClipboardLoan {
public:
    // What giving back leaves when the clipboard was empty before the loan.
    enum class WhenEmptyBefore { clear, keepText };

    // Saves the clipboard's contents and puts `text` in their place. While an
    // earlier loan is still out and its text still on the clipboard, that
    // loan's saved contents are kept instead of the text, so that pastes in
    // quick succession end with the user's own contents. Throws
    // ClipboardUnavailable.
    explicit ClipboardLoan(const std::string& text);

    // Gives the saved contents back once `delay` has passed and the text has
    // been read by the application it was pasted into, or a second after the
    // loan when nothing reads it. Gives nothing back when something else has
    // been put on the clipboard meanwhile, which is the user's now, or when a
    // later loan has taken over the saved contents.
    void giveBack(std::chrono::milliseconds delay, WhenEmptyBefore whenEmpty) const;

    // Gives the saved contents back now, as they were, when the text will not
    // be pasted after all; with the same exceptions.
    void giveBackNow() const;

private:
    std::uint64_t number_;
};

} // namespace Platform
