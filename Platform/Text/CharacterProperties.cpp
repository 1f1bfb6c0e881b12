#include "Platform/Text/CharacterProperties.h"

#include <unicode/uchar.h>

namespace Platform {

bool isWhiteSpace(char32_t codePoint)
{
    return u_isUWhiteSpace(static_cast<UChar32>(codePoint));
}

bool isAlphabetic(char32_t codePoint)
{
    return u_isUAlphabetic(static_cast<UChar32>(codePoint));
}

bool hasNumericType(char32_t codePoint)
{
    return u_getIntPropertyValue(static_cast<UChar32>(codePoint), UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

} // namespace Platform
