#include "Platform/Text/UnicodeScalars.h"

#include <unicode/utf8.h>

namespace Platform {

std::u32string unicodeScalars(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    std::u32string scalars;
    for (int32_t offset = 0; offset < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        scalars.push_back(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
    }
    return scalars;
}

} // namespace Platform
