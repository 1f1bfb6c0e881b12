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

std::vector<std::string_view> AddedTokensPattern::split(std::string_view text) const
{
    // The code points of the text: where each starts and whether it is white space.
    std::vector<std::size_t> starts;
    std::vector<bool> isWhiteSpace;
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        starts.push_back(static_cast<std::size_t>(bytes.data() - text.data()));
        isWhiteSpace.push_back(codePoint &&
                               Platform::contains(Platform::CharacterSet::whitespacesAndNewlines, *codePoint));
    });
    const std::size_t count = starts.size();
    starts.push_back(text.size());

    // A prefixed content matches at a code point when it starts there or after
    // white space from there on; of one content the latest start wins, as
    // greedy white space would take it. Found from the end backwards.
    std::vector<std::optional<Match>> plainAt(count);
    std::vector<std::optional<Match>> prefixedFrom(hasPrefixed_ ? count + 1 : 0);
    for (std::size_t index = count; index-- > 0;) {
        std::optional<Match> prefixed;
        contentsAt(text, starts[index], plainAt[index], prefixed);
        if (!hasPrefixed_)
            continue;
        std::optional<Match> later = isWhiteSpace[index] ? prefixedFrom[index + 1] : std::nullopt;
        prefixedFrom[index] = (later && (!prefixed || later->rank <= prefixed->rank)) ? later : prefixed;
    }

    std::vector<std::string_view> pieces;
    std::size_t pieceBegin = 0;
    for (std::size_t index = 0; index < count;) {
        std::optional<Match> match = plainAt[index];
        if (hasPrefixed_ && prefixedFrom[index] && (!match || prefixedFrom[index]->rank < match->rank))
            match = prefixedFrom[index];
        if (!match) {
            ++index;
            continue;
        }
        if (starts[index] > pieceBegin)
            pieces.push_back(text.substr(pieceBegin, starts[index] - pieceBegin));
        pieces.push_back(text.substr(match->contentBegin, match->contentEnd - match->contentBegin));
        index = static_cast<std::size_t>(std::ranges::lower_bound(starts, match->contentEnd) - starts.begin());
        if (match->suffix)
            while (index < count && isWhiteSpace[index])
                ++index;
        pieceBegin = starts[index];
    }
    if (pieceBegin < text.size())
        pieces.push_back(text.substr(pieceBegin));
    return pieces;
}

} // namespace Tokenizers
