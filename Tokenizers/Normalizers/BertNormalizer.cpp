#include "Tokenizers/Normalizers/BertNormalizer.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/Normalization.h"
#include "Platform/Text/UnicodeScalars.h"
#include "Tokenizers/CharacterClasses.h"

namespace Tokenizers {
namespace {

// Rewrites the text character by character (grapheme clusters), each by its
// first code point.
template <class Rewrite>
std::string rewritingCharacters(std::string_view text, Rewrite&& rewrite)
{
    std::string result;
    result.reserve(text.size());
    for (std::string_view character : Platform::graphemeClusters(text))
        rewrite(result, character, Platform::firstCodePoint(character).value_or(U'\uFFFD'));
    return result;
}

std::string cleaned(std::string_view text)
{
    return rewritingCharacters(text, [](std::string& result, std::string_view character, char32_t first) {
        if (first == U'\t' || first == U'\n' || first == U'\r')
            result += ' ';
        else if (first != 0 && first != U'\uFFFD' && !Platform::contains(Platform::CharacterSet::other, first))
            result += character;
        // NUL, replacement characters and invisible controls carry no text.
    });
}

std::string withoutAccents(std::string_view text)
{
    std::string result;
    const std::string decomposed = Platform::nfd(text);
    result.reserve(decomposed.size());
    Platform::forEachCodePoint(decomposed, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        if (!codePoint || *codePoint < 0x300 || *codePoint > 0x36F)
            result += bytes;
    });
    return result;
}

} // namespace

BertNormalizer::BertNormalizer(const Hub::Config& config)
    : shouldCleanText_(config.member("cleanText").boolean(true)),
      shouldHandleChineseChars_(config.member("handleChineseChars").boolean(true)),
      shouldStripAccents_(config.member("stripAccents").boolean().value_or(config.member("lowercase").boolean(true))),
      shouldLowercase_(config.member("lowercase").boolean(true))
{
}

std::string BertNormalizer::normalize(std::string_view text) const
{
    std::string result(text);
    if (shouldCleanText_)
        result = cleaned(result);
    if (shouldHandleChineseChars_)
        result = spacedChineseCharacters(result);
    if (shouldStripAccents_)
        result = withoutAccents(result);
    if (shouldLowercase_)
        result = Platform::lowercased(result);
    return result;
}

} // namespace Tokenizers
