#include "Jinja/Runtime/ComposedText.h"

#include "Platform/Text/Normalization.h"
#include "Platform/Text/UnicodeScalars.h"

namespace Jinja {

std::string composedText(std::string_view text)
{
    if (Platform::isASCII(text) || Platform::isNFC(text))
        return std::string(text);
    return Platform::nfc(text);
}

} // namespace Jinja
