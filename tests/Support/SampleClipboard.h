#pragma once

#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

// Clipboard contents: MIME types with their bytes.
using ClipboardContents = std::vector<std::pair<std::string, std::string>>;

// What a user might have copied: plain text, a PNG image and bytes of a
// private type, each of which must come back unchanged.
const ClipboardContents& sampleClipboard();

} // namespace TestSupport
