#include "Tokenizers/Normalizers/StripNormalizer.h"

#include "Tokenizers/CharacterClasses.h"

#include "Platform/Text/Graphemes.h"

namespace Tokenizers {

std::string StripNormalizer::normalize(std::string_view text) const
{
    const std::vector<std::string_view> characters = Platform::graphemeClusters(text);
    std::size_t begin = 0;
    std::size_t end = characters.size();
    if (leftStrip_)
        while (begin < end && isWhiteSpaceCharacter(characters[begin]))
            ++begin;
    if (rightStrip_)
        while (end > begin && isWhiteSpaceCharacter(characters[end - 1]))
            --end;
    if (begin == end)
        return {};
    const char* first = characters[begin].data();
    return std::string(first, characters[end - 1].data() + characters[end - 1].size());
}

} // namespace Tokenizers
