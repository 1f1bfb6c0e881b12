#include "Tokenizers/CharacterClasses.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/UnicodeScalars.h"

namespace Tokenizers {

bool isWhiteSpaceCharacter(std::string_view character)
{
    const std::optional<char32_t> first = Platform::firstCodePoint(character);
    return first && Platform::contains(Platform::CharacterSet::whitespacesAndNewlines, *first);
}

} // namespace Tokenizers
