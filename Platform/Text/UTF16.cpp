#include "Platform/Text/UTF16.h"

#include <unicode/ustring.h>

#include <stdexcept>

namespace Platform {

namespace {

constexpr UChar32 replacementCharacter = 0xFFFD;

void check(UErrorCode status)
{
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("Text conversion failed: ") + u_errorName(status));
}

} // namespace

namespace {

// Decodes well-formed UTF-8 without a library call, which dominates for the
// short texts of configuration files; false at the first ill-formed sequence.
bool decodeWellFormed(std::string_view text, std::u16string& units)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    // Exactly the units of well-formed text, so that short texts of
    // multi-byte characters stay in the string's own buffer.
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i)
        count += ((bytes[i] & 0xC0) != 0x80) + (bytes[i] >= 0xF0);
    units.reserve(count);
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            units += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead < 0xC2 || lead > 0xF4 || i + length > size)
            return false;
        char32_t codePoint = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode.
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (codePoint < smallest || (codePoint >= 0xD800 && codePoint < 0xE000) || codePoint > 0x10FFFF)
            return false;
        if (codePoint >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(codePoint);
        }
        i += length;
    }
    return true;
}

} // namespace

std::u16string utf16(std::string_view text)
{
    std::u16string units;
    if (decodeWellFormed(text, units))
        return units;
    // UTF-8 never needs more code units than bytes.
    units.assign(text.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), replacementCharacter, nullptr, &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING)
        status = U_ZERO_ERROR;
    check(status);
    units.resize(static_cast<std::size_t>(length));
    return units;
}

std::string utf8(std::u16string_view units)
{
    // A code unit takes at most three bytes; a surrogate pair takes four.
    std::string text(units.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(text.data(), static_cast<int32_t>(text.size()), &length, units.data(),
                       static_cast<int32_t>(units.size()), replacementCharacter, nullptr, &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING)
        status = U_ZERO_ERROR;
    check(status);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace Platform
