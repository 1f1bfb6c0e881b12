#include "Platform/Input/CharacterKeysym.h"

namespace Platform {

xcb_keysym_t keysymForCodePoint(char32_t codePoint)
{
    const bool latin1 = (codePoint >= 0x20 && codePoint <= 0x7e) || (codePoint >= 0xa0 && codePoint <= 0xff);
    return latin1 ? codePoint : 0x01000000 | codePoint;
}

} // namespace Platform
