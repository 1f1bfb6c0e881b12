#include "Platform/Text/CaseMapping.h"

#include "Platform/Text/Normalization.h"
#include "Platform/Text/UnicodeScalars.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace Platform {

namespace {

// The root locale ("") gives the default mappings, without Turkish or
// Lithuanian special cases whatever the user's locale.
constexpr const char* rootLocale = "";

using Utf8Mapping = void (*)(const char*, uint32_t, icu::StringPiece, icu::ByteSink&, icu::Edits*, UErrorCode&);

std::string mapCase(std::string_view text, Utf8Mapping mapping)
{
    std::string result;
    icu::StringByteSink<std::string> sink(&result, static_cast<int32_t>(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    mapping(rootLocale, 0, icu::StringPiece(text.data(), static_cast<int32_t>(text.size())), sink, nullptr, status);
    return U_SUCCESS(status) ? result : std::string(text);
}

// The single code point of `character`, or a negative value when it has more.
UChar32 singleCodePoint(std::string_view character)
{
    int32_t offset = 0;
    UChar32 c = 0;
    const auto length = static_cast<int32_t>(character.size());
    U8_NEXT(reinterpret_cast<const uint8_t*>(character.data()), offset, length, c);
    return offset == length ? c : -1;
}

// Full case folding, which unlike lower-casing maps "ß" to "ss" and final
// sigma like any other.
std::string caseFolded(std::string_view text)
{
    std::string result;
    icu::StringByteSink<std::string> sink(&result, static_cast<int32_t>(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    icu::CaseMap::utf8Fold(U_FOLD_CASE_DEFAULT, icu::StringPiece(text.data(), static_cast<int32_t>(text.size())), sink,
                           nullptr, status);
    return U_SUCCESS(status) ? result : std::string(text);
}

} // namespace

std::string uppercased(std::string_view text)
{
    return mapCase(text, icu::CaseMap::utf8ToUpper);
}

std::string lowercased(std::string_view text)
{
    return mapCase(text, icu::CaseMap::utf8ToLower);
}

bool isUppercase(std::string_view character)
{
    if (character.empty())
        return false;
    if (UChar32 c = singleCodePoint(character); c >= 0)
        return u_hasBinaryProperty(c, UCHAR_UPPERCASE);
    return uppercased(character) == character && lowercased(character) != character;
}

bool isLowercase(std::string_view character)
{
    if (character.empty())
        return false;
    if (UChar32 c = singleCodePoint(character); c >= 0)
        return u_hasBinaryProperty(c, UCHAR_LOWERCASE);
    return lowercased(character) == character && uppercased(character) != character;
}

std::string caseFoldingKey(std::string_view text)
{
    // Most texts are plain ASCII, which folds to its lower case and is
    // composed already.
    if (isASCII(text)) {
        std::string key(text);
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return key;
    }
    return nfc(caseFolded(nfc(text)));
}

bool equalIgnoringCase(std::string_view first, std::string_view second)
{
    return caseFoldingKey(first) == caseFoldingKey(second);
}

} // namespace Platform
