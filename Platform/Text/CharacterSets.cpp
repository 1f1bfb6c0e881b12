#include "Platform/Text/CharacterSets.h"

#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/UnicodeScalars.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace Platform {

bool contains(CharacterSet set, char32_t codePoint)
{
    const auto c = static_cast<UChar32>(codePoint);
    switch (set) {
    case CharacterSet::whitespaces: return c == U'\t' || u_charType(c) == U_SPACE_SEPARATOR;
    case CharacterSet::whitespacesAndNewlines: return isWhiteSpace(codePoint);
    case CharacterSet::punctuation: return u_ispunct(c);
    case CharacterSet::uppercaseLetters: return (U_GET_GC_MASK(c) & (U_GC_LU_MASK | U_GC_LT_MASK)) != 0;
    case CharacterSet::other: return (U_GET_GC_MASK(c) & U_GC_C_MASK) != 0;
    case CharacterSet::alphanumerics: return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
    case CharacterSet::nonspacingMarks: return u_charType(c) == U_NON_SPACING_MARK;
    }
    return false;
}

std::string_view trimming(std::string_view text, CharacterSet set)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t begin = 0;
    while (begin < length) {
        int32_t next = begin;
        UChar32 c = 0;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !contains(set, static_cast<char32_t>(c)))
            break;
        begin = next;
    }
    int32_t end = length;
    while (end > begin) {
        int32_t previous = end;
        UChar32 c = 0;
        U8_PREV(bytes, begin, previous, c);
        if (c < 0 || !contains(set, static_cast<char32_t>(c)))
            break;
        end = previous;
    }
    return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

std::string removing(std::string_view text, CharacterSet set)
{
    std::string kept;
    kept.reserve(text.size());
    forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        if (!codePoint || !contains(set, *codePoint))
            kept.append(bytes);
    });
    return kept;
}

} // namespace Platform
