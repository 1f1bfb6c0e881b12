#include "Platform/Text/Graphemes.h"

#include "Platform/Text/UTF8Text.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include <unicode/brkiter.h>

namespace Platform {

namespace {

// Creating a break iterator loads rule data, so each thread keeps one.
icu::BreakIterator& characterIterator()
{
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status))
            throw std::runtime_error("grapheme break rules are unavailable");
        return created;
    }();
    return *iterator;
}

// Calls `onBoundary` with each boundary after the start, in order, until it
// returns false. Boundaries are offsets in the text's own code units.
template <typename OnBoundary>
void forEachBoundary(UText* input, OnBoundary&& onBoundary)
{
    icu::BreakIterator& iterator = characterIterator();
    UErrorCode status = U_ZERO_ERROR;
    iterator.setText(input, status);
    if (U_FAILURE(status))
        return;
    for (int32_t boundary = iterator.next(); boundary != icu::BreakIterator::DONE; boundary = iterator.next())
        if (!onBoundary(static_cast<std::size_t>(boundary)))
            break;
    // The iterator must not keep pointing at text that is about to go away.
    static const icu::UnicodeString nothing;
    iterator.setText(nothing);
}

template <typename OnBoundary>
void forEachBoundary(std::string_view text, OnBoundary&& onBoundary)
{
    if (text.empty())
        return;
    detail::UTF8Text input(text);
    forEachBoundary(input.get(), std::forward<OnBoundary>(onBoundary));
}

// Below U+0300 no code point joins its neighbours but a line feed after a
// carriage return, so text made only of those needs no break rules: most
// words of Latin script, and every piece of byte-level tokenizer text, are.
// Nothing when the text holds anything else, ill-formed bytes included.
std::optional<std::vector<std::string_view>> clustersBelowCombiningMarks(std::string_view text)
{
    std::vector<std::string_view> clusters;
    clusters.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        const auto lead = static_cast<unsigned char>(text[offset]);
        std::size_t length = 1;
        if (lead >= 0x80) {
            if (lead < 0xC2 || lead > 0xCB || offset + 1 >= text.size() ||
                (static_cast<unsigned char>(text[offset + 1]) & 0xC0) != 0x80)
                return std::nullopt;
            length = 2;
        } else if (lead == '\r' && offset + 1 < text.size() && text[offset + 1] == '\n') {
            length = 2;
        }
        clusters.push_back(text.substr(offset, length));
        offset += length;
    }
    return clusters;
}

} // namespace

std::vector<std::size_t> graphemeLengths(std::u16string_view text)
{
    std::vector<std::size_t> lengths;
    if (text.empty())
        return lengths;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UText, decltype(&utext_close)> input(
        utext_openUChars(nullptr, text.data(), static_cast<int64_t>(text.size()), &status), &utext_close);
    if (U_FAILURE(status))
        throw std::runtime_error("UTF-16 text cannot be segmented");
    std::size_t start = 0;
    forEachBoundary(input.get(), [&](std::size_t boundary) {
        lengths.push_back(boundary - start);
        start = boundary;
        return true;
    });
    return lengths;
}

std::vector<std::string_view> graphemeClusters(std::string_view text)
{
    if (std::optional<std::vector<std::string_view>> simple = clustersBelowCombiningMarks(text))
        return std::move(*simple);
    std::vector<std::string_view> clusters;
    std::size_t start = 0;
    forEachBoundary(text, [&](std::size_t boundary) {
        clusters.push_back(text.substr(start, boundary - start));
        start = boundary;
        return true;
    });
    return clusters;
}

std::size_t graphemeCount(std::string_view text)
{
    std::size_t count = 0;
    forEachBoundary(text, [&](std::size_t) {
        ++count;
        return true;
    });
    return count;
}

std::string_view graphemePrefix(std::string_view text, std::size_t count)
{
    if (count == 0)
        return text.substr(0, 0);
    std::size_t end = text.size();
    std::size_t seen = 0;
    forEachBoundary(text, [&](std::size_t boundary) {
        if (++seen < count)
            return true;
        end = boundary;
        return false;
    });
    return text.substr(0, end);
}

std::string graphemePrefix(std::string_view text, std::size_t count, std::string_view ellipsis)
{
    const std::string_view prefix = graphemePrefix(text, count);
    std::string result(prefix);
    if (prefix.size() < text.size())
        result += ellipsis;
    return result;
}

std::string_view dropLastGraphemes(std::string_view text, std::size_t count)
{
    if (count == 0)
        return text;
    std::vector<std::string_view> clusters = graphemeClusters(text);
    if (clusters.size() <= count)
        return text.substr(0, 0);
    std::string_view kept = clusters[clusters.size() - count - 1];
    return text.substr(0, static_cast<std::size_t>(kept.data() + kept.size() - text.data()));
}

std::string_view firstGrapheme(std::string_view text)
{
    return graphemePrefix(text, 1);
}

std::string_view lastGrapheme(std::string_view text)
{
    std::string_view rest = dropLastGraphemes(text, 1);
    return text.substr(rest.size());
}

std::size_t nextGraphemeBoundary(std::string_view text, std::size_t offset)
{
    if (offset >= text.size())
        return text.size();
    detail::UTF8Text input(text);
    icu::BreakIterator& iterator = characterIterator();
    UErrorCode status = U_ZERO_ERROR;
    iterator.setText(input.get(), status);
    const int32_t boundary =
        U_SUCCESS(status) ? iterator.following(static_cast<int32_t>(offset)) : icu::BreakIterator::DONE;
    static const icu::UnicodeString nothing;
    iterator.setText(nothing);
    return boundary == icu::BreakIterator::DONE ? text.size() : static_cast<std::size_t>(boundary);
}

} // namespace Platform
