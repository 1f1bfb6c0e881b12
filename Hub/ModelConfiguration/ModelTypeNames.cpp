#include "Hub/ModelConfiguration/ModelTypeNames.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

namespace Hub {
namespace {

bool isAlphanumeric(char32_t codePoint)
{
    return Platform::contains(Platform::CharacterSet::alphanumerics, codePoint);
}

} // namespace

bool isResourceName(std::string_view modelType)
{
    bool isName = !modelType.empty();
    Platform::forEachCodePoint(modelType, [&](std::optional<char32_t> codePoint, std::string_view) {
        isName = isName && codePoint && (isAlphanumeric(*codePoint) || *codePoint == U'_' || *codePoint == U'-');
    });
    return isName;
}

std::string capitalizedWords(std::string_view text)
{
    std::string result;
    bool startsWord = true;
    for (std::string_view character : Platform::graphemeClusters(text)) {
        const bool isWordCharacter = isAlphanumeric(Platform::firstCodePoint(character).value_or(U' '));
        result += !isWordCharacter ? std::string(character)
                  : startsWord     ? Platform::uppercased(character)
                                   : Platform::lowercased(character);
        startsWord = !isWordCharacter;
    }
    return result;
}

} // namespace Hub
