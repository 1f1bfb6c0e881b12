#include "Jinja/Text/Characters.h"

#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

#include <stdexcept>

namespace Jinja {

Characters::Characters(std::string_view text) : text_(text)
{
    if (text.size() >= UINT32_MAX)
        throw std::length_error("Text too long to cut into characters");
    const bool ascii = Platform::isASCII(text);
    boundaries_.reserve(ascii ? text.size() + 1 : text.size() / 2 + 1);
    if (ascii) {
        for (std::size_t offset = 0; offset < text.size(); ++offset)
            if (offset == 0 || text[offset - 1] != '\r' || text[offset] != '\n')
                boundaries_.push_back(static_cast<std::uint32_t>(offset));
    } else {
        for (std::string_view cluster : Platform::graphemeClusters(text))
            boundaries_.push_back(static_cast<std::uint32_t>(cluster.data() - text.data()));
    }
    boundaries_.push_back(static_cast<std::uint32_t>(text.size()));
}

} // namespace Jinja
