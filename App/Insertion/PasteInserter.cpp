#include "App/Insertion/PasteInserter.h"

#include "App/Insertion/ClipboardPaste.h"
#include "App/Utils/FileLogger.h"

namespace QEL {

namespace {

// The pasting application must have read the text before the user's
// contents come back.
constexpr std::chrono::milliseconds restoreDelay{150};

} // namespace

void PasteInserter::insert(const std::string& text)
{
    if (text.empty())
        return;
    if (pasteThroughClipboard(text, restoreDelay, Platform::ClipboardLoan::WhenEmptyBefore::clear))
        FileLogger::log("Text copied to clipboard: '" + text + "'");
}

} // namespace QEL
