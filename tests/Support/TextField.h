#pragma once

#include "Support/SampleClipboard.h"

#include <xcb/xcb.h>

#include <QProcess>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace TestSupport {

// A focused Qt text field in another process (qel-test-text-field), as the
// application a user dictates into. The constructor starts it and waits until
// its field has the keyboard focus; the destructor ends it. Waiting processes
// the Qt events of the calling thread, the main thread.
class ForeignTextField {
public:
    // Throws std::runtime_error when the field did not appear focused in time.
    ForeignTextField();
    ~ForeignTextField();
    ForeignTextField(const ForeignTextField&) = delete;
    ForeignTextField& operator=(const ForeignTextField&) = delete;

    xcb_window_t window() const { return window_; }

    // The field's whole text as last reported.
    std::string text();
    // Empties the field.
    void clear();
    // Whether the field came to hold exactly `expected`.
    bool waitForText(const std::string& expected);

    // A key pressed in the field, other than a modifier key.
    struct KeyPress {
        int key; // Qt::Key
        std::string text;
        bool operator==(const KeyPress&) const = default;
    };
    // The keys pressed so far, in order.
    std::vector<KeyPress> keyPresses();

    // Makes the process own the clipboard with sampleClipboard(), or with
    // `text` alone, as a user copying there would.
    void copySample();
    void copyText(const std::string& text);
    // The clipboard as the process sees it: the types Qt offers, with data.
    ClipboardContents clipboard();
    // Whether the clipboard offers every type of `expected` with its bytes.
    bool clipboardHolds(const ClipboardContents& expected);
    // The clipboard's plain text, none when it has none.
    std::optional<std::string> clipboardText();

private:
    // Takes in what the process has written: its text, and the other lines.
    void readOutput();
    // The next line other than a text report; throws when none comes in time.
    std::string nextLine();
    void send(const std::string& command);
    void expectCopied();

    QProcess process_;
    std::string buffered_;
    std::deque<std::string> lines_;
    std::string text_;
    std::vector<KeyPress> keyPresses_;
    xcb_window_t window_ = 0;
};

} // namespace TestSupport
