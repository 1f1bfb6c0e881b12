#pragma once

// Unicode normalization forms of UTF-8 text.

#include <string>
#include <string_view>

namespace Platform {

// Form C: canonical decomposition, then canonical composition.
std::string nfc(std::string_view text);
// Form D: canonical decomposition.
std::string nfd(std::string_view text);
// Form KC: compatibility decomposition, then canonical composition.
std::string nfkc(std::string_view text);
// Form KD: compatibility decomposition.
std::string nfkd(std::string_view text);

// Whether the text is already in NFC, so that callers may compare its bytes
// without normalising it. The quick check answers most texts from a table;
// only characters that may combine with their neighbours are looked at closer.
bool isNFC(std::string_view text);

} // namespace Platform
