#pragma once

#include <xcb/xcb.h>

namespace Platform {

// The key symbol that types `codePoint`: a Latin-1 character has the symbol of
// the same value, any other character the Unicode symbol 0x01000000 + its code
// point.
xcb_keysym_t keysymForCodePoint(char32_t codePoint);

} // namespace Platform
