#pragma once

#include <string>
#include <string_view>

namespace Platform {

// The code points of UTF-8 text, in order; each malformed sequence counts as
// one U+FFFD.
std::u32string unicodeScalars(std::string_view text);

} // namespace Platform
