#pragma once

// The ranks of a merges list and the merging of one word by them.

#include "Tokenizers/TextMap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Tokenizers {

// The rank of each mergeable pair: the position of its entry in the merges
// list, 0 first. Pieces compare up to canonical equivalence, so a pair written
// with a decomposed letter is the pair written with the composed one.
class MergeRanks {
public:
    MergeRanks() = default;
    // Only the first two pieces of an entry count. An entry with fewer cannot
    // be a pair and is skipped; later entries keep their positions. A pair
    // listed twice has the rank of its last listing.
    explicit MergeRanks(const std::vector<std::vector<std::string>>& merges);

    // The rank of the pair of two pieces given by their canonical keys.
    std::optional<int> rank(std::string_view leftKey, std::string_view rightKey) const;
    std::size_t count() const { return ranks_.size(); }

    // Pieces that some listed pair holds are numbered, so that pairs are
    // looked up by two numbers.
    std::optional<int> pieceNumber(std::string_view key) const;
    std::optional<int> rank(int leftPiece, int rightPiece) const;

    // The form in which pieces compare: canonically composed.
    static std::string canonicalKey(std::string_view piece);

private:
    int numbered(std::string key);

    TextMap<int> pieceNumbers_;
    std::unordered_map<std::uint64_t, int> ranks_;
};

// The pieces of `token` after merging: it starts as its characters (grapheme
// clusters); each pass takes the lowest-ranked adjacent pair left and merges
// every occurrence of it, left to right without overlap ("a a a" by (a, a)
// gives "aa a"); merging ends when no adjacent pair has a rank.
std::vector<std::string> mergedPieces(std::string_view token, const MergeRanks& ranks);

} // namespace Tokenizers
