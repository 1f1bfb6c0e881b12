#include "Platform/Text/CanonicalSearch.h"

#include "Platform/Text/Normalization.h"

#include <algorithm>
#include <optional>

#include <unicode/normalizer2.h>
#include <unicode/utf8.h>

namespace Platform {
namespace {

const icu::Normalizer2& decomposition()
{
    UErrorCode status = U_ZERO_ERROR;
    return *icu::Normalizer2::getNFDInstance(status);
}

// Whether form D keeps `text` apart at `offset`: the text's start or end, or a
// code point that combines with nothing before it. Malformed bytes stand alone.
bool isSegmentStart(std::string_view text, std::size_t offset)
{
    if (offset == 0 || offset >= text.size())
        return true;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto index = static_cast<int32_t>(offset);
    UChar32 c = 0;
    U8_NEXT(bytes, index, static_cast<int32_t>(text.size()), c);
    return c < 0 || decomposition().hasBoundaryBefore(c);
}

// The text in form D, with each segment's start in the form beside its start
// in the text. Form D works segment by segment, so a match in the form whose
// ends are segment starts is exactly a canonically equivalent piece of text.
struct Decomposed {
    std::string text;
    std::vector<std::size_t> formStarts;
    std::vector<std::size_t> textStarts;
};

Decomposed decomposed(std::string_view text)
{
    Decomposed result;
    result.text.reserve(text.size());
    std::size_t segment = 0;
    auto close = [&](std::size_t end) {
        result.formStarts.push_back(result.text.size());
        result.textStarts.push_back(segment);
        result.text += nfd(text.substr(segment, end - segment));
        segment = end;
    };
    for (std::size_t offset = 1; offset < text.size(); ++offset)
        if ((static_cast<uint8_t>(text[offset]) & 0xC0) != 0x80 && isSegmentStart(text, offset))
            close(offset);
    if (!text.empty())
        close(text.size());
    result.formStarts.push_back(result.text.size());
    result.textStarts.push_back(text.size());
    return result;
}

// Non-overlapping occurrences of `key` in `haystack` whose ends `accept` takes.
template <class Accept>
std::vector<TextRange> occurrences(std::string_view haystack, std::string_view key, Accept&& accept)
{
    std::vector<TextRange> found;
    for (std::size_t from = 0;;) {
        const std::size_t begin = haystack.find(key, from);
        if (begin == std::string_view::npos)
            return found;
        if (accept(begin, begin + key.size())) {
            found.push_back({begin, begin + key.size()});
            from = begin + key.size();
        } else {
            from = begin + 1;
        }
    }
}

} // namespace

std::vector<TextRange> canonicalMatches(std::string_view text, std::string_view pattern)
{
    if (pattern.empty())
        return {};
    const std::string key = nfd(pattern);
    UErrorCode status = U_ZERO_ERROR;
    const bool inFormD =
        decomposition().isNormalizedUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())), status) &&
        U_SUCCESS(status);
    if (inFormD)
        return occurrences(text, key, [&](std::size_t begin, std::size_t end) {
            return isSegmentStart(text, begin) && isSegmentStart(text, end);
        });

    const Decomposed form = decomposed(text);
    auto segmentIndex = [&](std::size_t formOffset) -> std::optional<std::size_t> {
        const auto found = std::lower_bound(form.formStarts.begin(), form.formStarts.end(), formOffset);
        if (found == form.formStarts.end() || *found != formOffset)
            return std::nullopt;
        return static_cast<std::size_t>(found - form.formStarts.begin());
    };
    std::vector<TextRange> matches;
    for (const TextRange& range : occurrences(form.text, key, [&](std::size_t begin, std::size_t end) {
             return segmentIndex(begin) && segmentIndex(end);
         }))
        matches.push_back({form.textStarts[*segmentIndex(range.begin)], form.textStarts[*segmentIndex(range.end)]});
    return matches;
}

std::string replacingCanonicalMatches(std::string_view text, std::string_view pattern, std::string_view replacement)
{
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;
    for (const TextRange& match : canonicalMatches(text, pattern)) {
        result.append(text.substr(copied, match.begin - copied));
        result.append(replacement);
        copied = match.end;
    }
    result.append(text.substr(copied));
    return result;
}

} // namespace Platform
