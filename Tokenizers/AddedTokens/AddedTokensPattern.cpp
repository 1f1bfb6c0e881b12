#include "Tokenizers/AddedTokens/AddedTokensPattern.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

#include <algorithm>

namespace Tokenizers {
namespace {

std::uint64_t edgeKey(std::uint32_t node, char byte)
{
    return (static_cast<std::uint64_t>(node) << 8) | static_cast<unsigned char>(byte);
}

// The offset of the code point after the one at `offset`; a byte that starts
// no well-formed sequence counts as one code point.
std::size_t nextCodePoint(std::string_view text, std::size_t offset)
{
    const auto lead = static_cast<unsigned char>(text[offset]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t next = offset + 1;
    while (next < text.size() && next < offset + length && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
        ++next;
    return next;
}

bool isWhiteSpaceAt(std::string_view text, std::size_t offset)
{
    const std::optional<char32_t> codePoint = Platform::firstCodePoint(text.substr(offset, 4));
    return codePoint && Platform::contains(Platform::CharacterSet::whitespacesAndNewlines, *codePoint);
}

} // namespace

AddedTokensPattern::AddedTokensPattern(std::vector<Record> records) : nodes_(1)
{
    std::ranges::stable_sort(records, std::ranges::greater{},
                             [](const Record& record) { return Platform::graphemeCount(record.content); });
    for (std::size_t rank = 0; rank < records.size(); ++rank) {
        const Record& record = records[rank];
        if (record.content.empty())
            continue;
        std::uint32_t node = 0;
        for (char byte : record.content) {
            const auto [edge, added] =
                edges_.try_emplace(edgeKey(node, byte), static_cast<std::uint32_t>(nodes_.size()));
            if (added)
                nodes_.emplace_back();
            node = edge->second;
        }
        // Of two records with one content and one kind, the earlier is the
        // alternative that matches first.
        std::optional<Ending>& ending = record.prefix ? nodes_[node].prefixed : nodes_[node].plain;
        if (!ending)
            ending = Ending{rank, record.suffix};
        hasPrefixed_ = hasPrefixed_ || record.prefix;
    }
}

std::optional<std::uint32_t> AddedTokensPattern::child(std::uint32_t node, char byte) const
{
    const auto found = edges_.find(edgeKey(node, byte));
    return found == edges_.end() ? std::nullopt : std::optional<std::uint32_t>(found->second);
}

void AddedTokensPattern::contentsAt(std::string_view text, std::size_t offset, std::optional<Match>& plain,
                                    std::optional<Match>& prefixed) const
{
    std::uint32_t node = 0;
    for (std::size_t end = offset; end < text.size();) {
        const std::optional<std::uint32_t> next = child(node, text[end++]);
        if (!next)
            return;
        node = *next;
        if (const auto& ending = nodes_[node].plain; ending && (!plain || ending->rank < plain->rank))
            plain = Match{ending->rank, offset, end, ending->suffix};
        if (const auto& ending = nodes_[node].prefixed; ending && (!prefixed || ending->rank < prefixed->rank))
            prefixed = Match{ending->rank, offset, end, ending->suffix};
    }
}

std::optional<AddedTokensPattern::Match> AddedTokensPattern::prefixedFromRun(std::string_view text, std::size_t offset,
                                                                             PrefixedRun& run) const
{
    // Inside a run of white space every later start of the run, and the
    // first character after it, is a candidate. The run is worked out once,
    // from its end backwards: of one content the latest start wins, as
    // greedy white space would take it.
    if (run.starts.empty() || offset < run.starts.front() || offset > run.starts.back()) {
        run.starts.clear();
        for (std::size_t start = offset;; start = nextCodePoint(text, start)) {
            run.starts.push_back(start);
            if (start >= text.size() || !isWhiteSpaceAt(text, start))
                break;
        }
        run.best.assign(run.starts.size(), std::nullopt);
        for (std::size_t index = run.starts.size(); index-- > 0;) {
            std::optional<Match> plain;
            std::optional<Match> prefixed;
            contentsAt(text, run.starts[index], plain, prefixed);
            const std::optional<Match> later = index + 1 < run.starts.size() ? run.best[index + 1] : std::nullopt;
            run.best[index] = (later && (!prefixed || later->rank <= prefixed->rank)) ? later : prefixed;
        }
    }
    const auto found = std::ranges::lower_bound(run.starts, offset);
    return run.best[static_cast<std::size_t>(found - run.starts.begin())];
}

std::vector<std::string_view> AddedTokensPattern::split(std::string_view text) const
{
    std::vector<std::string_view> pieces;
    PrefixedRun run;
    std::size_t pieceBegin = 0;
    for (std::size_t offset = 0; offset < text.size();) {
        std::optional<Match> match;
        std::optional<Match> prefixed;
        contentsAt(text, offset, match, prefixed);
        if (hasPrefixed_ && isWhiteSpaceAt(text, offset))
            prefixed = prefixedFromRun(text, offset, run);
        if (prefixed && (!match || prefixed->rank < match->rank))
            match = prefixed;
        if (!match) {
            offset = nextCodePoint(text, offset);
            continue;
        }
        if (offset > pieceBegin)
            pieces.push_back(text.substr(pieceBegin, offset - pieceBegin));
        pieces.push_back(text.substr(match->contentBegin, match->contentEnd - match->contentBegin));
        offset = match->contentEnd;
        if (match->suffix)
            while (offset < text.size() && isWhiteSpaceAt(text, offset))
                offset = nextCodePoint(text, offset);
        pieceBegin = offset;
    }
    if (pieceBegin < text.size())
        pieces.push_back(text.substr(pieceBegin));
    return pieces;
}

} // namespace Tokenizers
