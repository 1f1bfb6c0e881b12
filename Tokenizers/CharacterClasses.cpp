#include "Tokenizers/CharacterClasses.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/Normalization.h"
#include "Platform/Text/UnicodeScalars.h"

#include <array>
#include <utility>

namespace Tokenizers {

bool isWhiteSpaceCharacter(std::string_view character)
{
    const std::optional<char32_t> first = Platform::firstCodePoint(character);
    return first && Platform::contains(Platform::CharacterSet::whitespacesAndNewlines, *first);
}

bool isChineseCharacter(char32_t c)
{
    constexpr std::array<std::pair<char32_t, char32_t>, 6> ideographs = {{
        {0x4E00, 0x9FFF},
        {0x3400, 0x4DBF},
        {0x20000, 0x2A6DF},
        {0x2A700, 0x2CEAF},
        {0xF900, 0xFAFF},
        {0x2F800, 0x2FA1F},
    }};
    for (const auto& [low, high] : ideographs)
        if (c >= low && c <= high)
            return true;
    return false;
}

std::string spacedChineseCharacters(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::string_view character : Platform::graphemeClusters(text)) {
        if (isChineseCharacter(Platform::firstCodePoint(character).value_or(U'\uFFFD')))
            result.append(" ").append(character).append(" ");
        else
            result += character;
    }
    return result;
}

std::string foldingDiacritics(std::string_view text)
{
    return Platform::nfc(Platform::removing(Platform::nfd(text), Platform::CharacterSet::nonspacingMarks));
}

} // namespace Tokenizers
