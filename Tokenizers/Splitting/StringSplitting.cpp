#include "Tokenizers/Splitting/StringSplitting.h"

#include "Platform/Text/Graphemes.h"

#include <optional>

namespace Tokenizers {
namespace {

std::string_view piece(std::string_view text, std::size_t begin, std::size_t end)
{
    return text.substr(begin, end - begin);
}

std::vector<std::string_view> mergedWithNext(std::string_view text, const std::vector<Platform::TextRange>& matches)
{
    std::vector<std::string_view> pieces;
    std::size_t current = 0;
    for (const Platform::TextRange& match : matches) {
        if (match.begin == 0)
            continue;
        pieces.push_back(piece(text, current, match.begin));
        current = match.begin;
    }
    if (current < text.size())
        pieces.push_back(piece(text, current, text.size()));
    return pieces;
}

std::vector<std::string_view> mergedWithPrevious(std::string_view text, const std::vector<Platform::TextRange>& matches)
{
    std::vector<std::string_view> pieces;
    std::size_t current = 0;
    for (const Platform::TextRange& match : matches) {
        pieces.push_back(piece(text, current, match.end));
        current = match.end;
    }
    if (current < text.size())
        pieces.push_back(piece(text, current, text.size()));
    return pieces;
}

} // namespace

std::vector<Platform::TextRange> ranges(std::string_view text, std::string_view pattern, SearchKind kind)
{
    if (kind == SearchKind::plain)
        return Platform::canonicalMatches(text, pattern);
    const std::optional<Platform::Regex> regex = Platform::Regex::cached(pattern);
    return regex ? ranges(text, *regex) : std::vector<Platform::TextRange>{};
}

std::vector<Platform::TextRange> ranges(std::string_view text, const Platform::Regex& regex)
{
    std::vector<Platform::TextRange> found;
    Platform::RegexSearch search(regex, text);
    for (std::size_t start = 0;;) {
        const std::optional<Platform::RegexMatch> match = search.firstMatch(start);
        if (!match)
            return found;
        const Platform::RegexMatch::Range& range = match->range();
        found.push_back({range.begin, range.end});
        if (range.begin < range.end)
            start = range.end;
        else if (range.begin < text.size())
            start = Platform::nextGraphemeBoundary(text, range.begin);
        else
            return found;
    }
}

std::vector<std::string_view> split(std::string_view text, std::string_view pattern, SearchKind kind,
                                    bool includeSeparators)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (const Platform::TextRange& match : ranges(text, pattern, kind)) {
        if (start < match.begin)
            pieces.push_back(piece(text, start, match.begin));
        if (includeSeparators)
            pieces.push_back(piece(text, match.begin, match.end));
        start = match.end;
    }
    if (start < text.size())
        pieces.push_back(piece(text, start, text.size()));
    return pieces;
}

std::vector<std::string_view> split(std::string_view text, std::string_view pattern, SearchKind kind,
                                    SplitDelimiterBehavior behavior)
{
    switch (behavior) {
    case SplitDelimiterBehavior::removed: return split(text, pattern, kind, false);
    case SplitDelimiterBehavior::isolated: return split(text, pattern, kind, true);
    case SplitDelimiterBehavior::mergedWithPrevious: return mergedWithPrevious(text, ranges(text, pattern, kind));
    case SplitDelimiterBehavior::mergedWithNext: return mergedWithNext(text, ranges(text, pattern, kind));
    }
    return {};
}

std::vector<std::string_view> split(std::string_view text, const Platform::Regex& regex)
{
    const std::vector<Platform::RegexMatch> matches = regex.matches(text);
    if (matches.empty())
        return {text};
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (const Platform::RegexMatch& match : matches) {
        if (start < match.range().begin)
            pieces.push_back(piece(text, start, match.range().begin));
        for (std::size_t group = match.groups.size(); group-- > 0;)
            if (match.groups[group]) {
                pieces.push_back(match.group(text, group));
                break;
            }
        start = match.range().end;
    }
    if (start < text.size())
        pieces.push_back(piece(text, start, text.size()));
    return pieces;
}

} // namespace Tokenizers
