#pragma once

// Conversions between UTF-8 text and UTF-16 code units. Neither normalises:
// every character keeps its code points. A malformed sequence (invalid UTF-8
// bytes, an unpaired surrogate) becomes U+FFFD.

#include <string>
#include <string_view>

namespace Platform {

std::u16string utf16(std::string_view text);
std::string utf8(std::u16string_view units);

} // namespace Platform
