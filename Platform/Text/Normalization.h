#pragma once

#include <string>
#include <string_view>

namespace Platform {

// Unicode Normalization Form C (canonical composition) of UTF-8 text.
std::string nfc(std::string_view text);

// Whether the text is already in NFC, so that callers may compare its bytes
// without normalising it. The quick check answers most texts from a table;
// only characters that may combine with their neighbours are looked at closer.
bool isNFC(std::string_view text);

} // namespace Platform
