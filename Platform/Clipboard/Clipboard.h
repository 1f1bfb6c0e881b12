#pragma once

#include <stdexcept>
#include <string>
#include <vector>

class QClipboard;

namespace Platform {

// One form of what the clipboard holds: a MIME type and its bytes.
struct ClipboardItem {
    std::string type;
    std::string data;
    bool operator==(const ClipboardItem&) const = default;
};

// The clipboard can only be used on the main thread of a QGuiApplication.
class ClipboardUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system clipboard (not the X primary selection). Throws
// ClipboardUnavailable off the main thread or without a QGuiApplication.
QClipboard& systemClipboard();

// Every MIME type the clipboard offers that has bytes, with those bytes, in
// the order offered; none for an empty clipboard. Reading from another
// application waits for its answer. Names of the selection protocol itself
// (TARGETS, TIMESTAMP, ...) are not MIME types and are left out, as is the
// image form Qt derives from the image types. Main thread only.
std::vector<ClipboardItem> clipboardContents();

// Puts `items` on the clipboard in place of what it held, or empties it when
// there are none. Main thread only.
void setClipboardContents(const std::vector<ClipboardItem>& items);

// Puts `text` on the clipboard as plain text, in place of what it held. Main
// thread only.
void setClipboardText(const std::string& text);

} // namespace Platform
