#include "Tokenizers/Models/WordPiece/BasicTokenizer.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"
#include "Tokenizers/CharacterClasses.h"

#include <algorithm>
#include <array>
#include <utility>

namespace Tokenizers {
namespace {

constexpr std::array<std::string_view, 5> neverSplit = {"[UNK]", "[SEP]", "[PAD]", "[CLS]", "[MASK]"};

// The ASCII symbols count too, so "$" or "+" cut a word as "," does.
bool isPunctuation(std::string_view character)
{
    const char32_t first = Platform::firstCodePoint(character).value_or(U'\uFFFD');
    return Platform::contains(Platform::CharacterSet::punctuation, first) || (first >= 0x21 && first <= 0x2F) ||
           (first >= 0x3A && first <= 0x40) || (first >= 0x5B && first <= 0x60) || (first >= 0x7B && first <= 0x7E);
}

std::vector<std::string_view> whiteSpaceSeparatedParts(std::string_view text)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        const auto offset = static_cast<std::size_t>(bytes.data() - text.data());
        if (codePoint && Platform::contains(Platform::CharacterSet::whitespaces, *codePoint)) {
            if (offset > start)
                parts.push_back(text.substr(start, offset - start));
            start = offset + bytes.size();
        }
    });
    if (start < text.size())
        parts.push_back(text.substr(start));
    return parts;
}

} // namespace

BasicTokenizer::BasicTokenizer(bool doLowerCase) : doLowerCase_(doLowerCase) {}

std::vector<std::string> BasicTokenizer::tokenize(std::string_view text) const
{
    const std::string folded = doLowerCase_ ? foldingDiacritics(text) : std::string(text);
    std::vector<std::string> words;
    for (std::string_view part : whiteSpaceSeparatedParts(folded)) {
        if (std::ranges::find(neverSplit, part) != neverSplit.end()) {
            words.emplace_back(part);
            continue;
        }
        const std::string cased = doLowerCase_ ? Platform::lowercased(part) : std::string(part);
        std::string word;
        for (std::string_view character : Platform::graphemeClusters(cased)) {
            if (!isPunctuation(character)) {
                word += character;
                continue;
            }
            if (!word.empty())
                words.push_back(std::exchange(word, {}));
            words.emplace_back(character);
        }
        if (!word.empty())
            words.push_back(std::move(word));
    }
    return words;
}

} // namespace Tokenizers
