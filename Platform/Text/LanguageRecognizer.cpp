#include "Platform/Text/LanguageRecognizer.h"

#include "Platform/Text/UnicodeScalars.h"

#include <array>
#include <unicode/uscript.h>

namespace Platform {
namespace {

enum Group { han, kana, thai, lao, myanmar, hangul, other, groupCount };

constexpr std::array<const char*, groupCount> groupLanguages = {"zh", "ja", "th", "lo", "my", "ko", nullptr};

std::optional<Group> groupOf(char32_t scalar)
{
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(static_cast<UChar32>(scalar), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    switch (script) {
    case USCRIPT_COMMON:
    case USCRIPT_INHERITED:
    case USCRIPT_UNKNOWN:
        return std::nullopt; // digits, punctuation, spaces, marks
    case USCRIPT_HAN:
        return han;
    case USCRIPT_HIRAGANA:
    case USCRIPT_KATAKANA:
    case USCRIPT_KATAKANA_OR_HIRAGANA:
        return kana;
    case USCRIPT_THAI:
        return thai;
    case USCRIPT_LAO:
        return lao;
    case USCRIPT_MYANMAR:
        return myanmar;
    case USCRIPT_HANGUL:
        return hangul;
    default:
        return other;
    }
}

} // namespace

std::optional<std::string> dominantLanguage(std::string_view text)
{
    std::array<std::size_t, groupCount> counts {};
    for (char32_t scalar : unicodeScalars(text))
        if (std::optional<Group> group = groupOf(scalar))
            ++counts[*group];

    // Japanese writes Han characters among its kana.
    if (counts[kana] > 0) {
        counts[kana] += counts[han];
        counts[han] = 0;
    }

    std::size_t best = groupCount;
    for (std::size_t group = 0; group < groupCount; ++group)
        if (counts[group] > 0 && (best == groupCount || counts[group] > counts[best]))
            best = group;
    if (best == groupCount || !groupLanguages[best])
        return std::nullopt;
    return groupLanguages[best];
}

} // namespace Platform
