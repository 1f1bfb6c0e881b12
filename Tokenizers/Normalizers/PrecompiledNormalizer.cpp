#include "Tokenizers/Normalizers/PrecompiledNormalizer.h"

#include "Platform/Text/Normalization.h"
#include "Platform/Text/UnicodeScalars.h"
#include "Tokenizers/Splitting/StringSplitting.h"

namespace Tokenizers {
namespace {

constexpr std::string_view fullwidthTilde = "\uFF5E";

bool isDropped(char32_t c)
{
    return (c >= 0x01 && c <= 0x08) || c == 0x0B || (c >= 0x0E && c <= 0x1F) || c == 0x7F || c == 0x8F || c == 0x9F;
}

bool becomesSpace(char32_t c)
{
    return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x1680 || (c >= 0x200B && c <= 0x200F) ||
           c == 0x2028 || c == 0x2029 || c == 0x2581 || c == 0xFEFF || c == 0xFFFD;
}

} // namespace

std::string PrecompiledNormalizer::normalize(std::string_view text) const
{
    std::string cleaned;
    cleaned.reserve(text.size());
    bool hasTilde = false;
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        if (codePoint && isDropped(*codePoint))
            return;
        // Malformed bytes read as U+FFFD, which becomes a space too.
        if (!codePoint || becomesSpace(*codePoint)) {
            cleaned += ' ';
            return;
        }
        hasTilde = hasTilde || codePoint == U'\uFF5E';
        cleaned += bytes;
    });
    if (!hasTilde)
        return Platform::nfkc(cleaned);
    std::string result;
    bool first = true;
    for (std::string_view piece : split(cleaned, fullwidthTilde, SearchKind::regularExpression, false)) {
        if (!first)
            result += fullwidthTilde;
        result += Platform::nfkc(piece);
        first = false;
    }
    return result;
}

} // namespace Tokenizers
