#include "Jinja/Text/Characters.h"

#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

#include <stdexcept>

namespace Jinja {

bool ByteCharacters::fits(std::string_view text)
{
    return Platform::isASCII(text) && text.find("\r\n") == std::string_view::npos;
}

Characters::Characters(std::string_view text) : text_(text)
{
    if (text.size() >= UINT32_MAX)
        throw std::length_error("Text too long to cut into characters");
    if (Platform::isASCII(text)) {
        boundaries_.reserve(text.size() + 1);
        for (std::size_t offset = 0; offset < text.size(); ++offset)
            if (offset == 0 || text[offset - 1] != '\r' || text[offset] != '\n')
                boundaries_.push_back(static_cast<std::uint32_t>(offset));
    } else {
        boundaries_.reserve(text.size() / 2 + 1);
        for (std::string_view cluster : Platform::graphemeClusters(text))
            boundaries_.push_back(static_cast<std::uint32_t>(cluster.data() - text.data()));
    }
    boundaries_.push_back(static_cast<std::uint32_t>(text.size()));
}

} // namespace Jinja
