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

std::u16string utf16(std::string_view text)
{
    // UTF-8 never needs more code units than bytes.
    std::u16string units(text.size(), u'\0');
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
