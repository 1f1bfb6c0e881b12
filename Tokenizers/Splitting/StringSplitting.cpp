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

std::vector<std::string_view> separated(std::string_view text, const std::vector<Platform::TextRange>& matches,
                                        bool includeSeparators)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (const Platform::TextRange& match : matches) {
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

std::vector<std::string_view> splitAt(std::string_view text, const std::vector<Platform::TextRange>& matches,
                                      SplitDelimiterBehavior behavior)
{
    switch (behavior) {
    case SplitDelimiterBehavior::removed: return separated(text, matches, false);
    case SplitDelimiterBehavior::isolated: return separated(text, matches, true);
    case SplitDelimiterBehavior::mergedWithPrevious: return mergedWithPrevious(text, matches);
    case SplitDelimiterBehavior::mergedWithNext: return mergedWithNext(text, matches);
    }
    return {};
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
    return separated(text, ranges(text, pattern, kind), includeSeparators);
}

std::vector<std::string_view> split(std::string_view text, std::string_view pattern, SearchKind kind,
                                    SplitDelimiterBehavior behavior)
{
    return splitAt(text, ranges(text, pattern, kind), behavior);
}

std::vector<std::string_view> split(std::string_view text, const Platform::Regex& regex,
                                    SplitDelimiterBehavior behavior)
{
    return splitAt(text, ranges(text, regex), behavior);
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
