#include "Platform/Text/UnicodeScalars.h"

#include <unicode/utf8.h>

namespace Platform {

void forEachCodePoint(std::string_view text,
                      const std::function<void(std::optional<char32_t> codePoint, std::string_view bytes)>& visit)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t offset = 0; offset < length;) {
        const int32_t begin = offset;
        UChar32 c = 0;
        U8_NEXT(bytes, offset, length, c);
        const std::string_view encoded = text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(offset - begin));
        visit(c < 0 ? std::nullopt : std::optional<char32_t>(static_cast<char32_t>(c)), encoded);
    }
}

std::optional<char32_t> firstCodePoint(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    int32_t offset = 0;
    UChar32 c = 0;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), offset, static_cast<int32_t>(text.size()), c);
    return c < 0 ? std::nullopt : std::optional<char32_t>(static_cast<char32_t>(c));
}

std::u32string unicodeScalars(std::string_view text)
{
    std::u32string scalars;
    forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view) {
        scalars.push_back(codePoint.value_or(U'\uFFFD'));
    });
    return scalars;
}

std::string validUTF8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    forEachCodePoint(bytes, [&](std::optional<char32_t> codePoint, std::string_view encoded) {
        text.append(codePoint ? encoded : "\uFFFD");
    });
    return text;
}

} // namespace Platform
