#include "Tokenizers/Models/BPE/MergeRanks.h"

#include "Platform/HashCombine.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/Normalization.h"

#include <algorithm>
#include <queue>

namespace Tokenizers {

std::size_t MergeRanks::Hash::operator()(const PairView& pair) const noexcept
{
    std::size_t seed = 0;
    Platform::hashCombine(seed, pair.a);
    Platform::hashCombine(seed, pair.b);
    return seed;
}

MergeRanks::MergeRanks(const std::vector<std::vector<std::string>>& merges)
{
    ranks_.reserve(merges.size());
    for (std::size_t position = 0; position < merges.size(); ++position) {
        const std::vector<std::string>& pieces = merges[position];
        if (pieces.size() < 2)
            continue;
        ranks_.insert_or_assign(BytePair{canonicalKey(pieces[0]), canonicalKey(pieces[1])}, static_cast<int>(position));
    }
}

std::optional<int> MergeRanks::rank(std::string_view leftKey, std::string_view rightKey) const
{
    const auto found = ranks_.find(PairView{leftKey, rightKey});
    return found == ranks_.end() ? std::nullopt : std::optional<int>(found->second);
}

std::string MergeRanks::canonicalKey(std::string_view piece)
{
    if (std::all_of(piece.begin(), piece.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(piece);
    return Platform::nfc(piece);
}

namespace {

// The word as a list of symbols linked both ways; merging joins a symbol into
// its left neighbour. Every change of a symbol bumps its version, so a queued
// pair knows when it no longer stands in the word.
struct Symbol {
    std::string text;
    // Pieces are whole characters, and canonical composition never reaches
    // across a character boundary, so the key of a merge is the keys joined.
    std::string key;
    int previous;
    int next;
    unsigned version = 0;
};

struct Candidate {
    int rank;
    int left;
    int right;
    unsigned leftVersion;
    unsigned rightVersion;
    // The queue yields the lowest rank first, and within a rank the leftmost.
    bool operator>(const Candidate& other) const { return rank != other.rank ? rank > other.rank : left > other.left; }
};

class Word {
public:
    Word(std::string_view token, const MergeRanks& ranks) : ranks_(ranks)
    {
        const std::vector<std::string_view> characters = Platform::graphemeClusters(token);
        symbols_.reserve(characters.size());
        for (std::size_t index = 0; index < characters.size(); ++index)
            symbols_.push_back(Symbol{std::string(characters[index]), MergeRanks::canonicalKey(characters[index]),
                                      static_cast<int>(index) - 1,
                                      index + 1 < characters.size() ? static_cast<int>(index + 1) : -1});
        for (std::size_t index = 0; index + 1 < symbols_.size(); ++index)
            queuePair(static_cast<int>(index));
    }

    void mergeAll()
    {
        while (!queue_.empty()) {
            // One pass: every occurrence of the lowest-ranked pair; the pairs
            // that merging makes wait for the next pass.
            const int rank = queue_.top().rank;
            std::vector<int> merged;
            while (!queue_.empty() && queue_.top().rank == rank) {
                const Candidate candidate = queue_.top();
                queue_.pop();
                if (standsInWord(candidate)) {
                    merge(candidate.left);
                    merged.push_back(candidate.left);
                }
            }
            for (int index : merged) {
                if (symbols_[index].previous >= 0)
                    queuePair(symbols_[index].previous);
                queuePair(index);
            }
        }
    }

    std::vector<std::string> pieces() &&
    {
        std::vector<std::string> result;
        for (int index = symbols_.empty() ? -1 : 0; index >= 0; index = symbols_[index].next)
            result.push_back(std::move(symbols_[index].text));
        return result;
    }

private:
    void queuePair(int left)
    {
        const int right = symbols_[left].next;
        if (right < 0)
            return;
        if (const std::optional<int> rank = ranks_.rank(symbols_[left].key, symbols_[right].key))
            queue_.push(Candidate{*rank, left, right, symbols_[left].version, symbols_[right].version});
    }

    bool standsInWord(const Candidate& candidate) const
    {
        const Symbol& left = symbols_[candidate.left];
        return left.next == candidate.right && left.version == candidate.leftVersion &&
               symbols_[candidate.right].version == candidate.rightVersion;
    }

    void merge(int left)
    {
        Symbol& symbol = symbols_[left];
        Symbol& absorbed = symbols_[symbol.next];
        symbol.text += absorbed.text;
        symbol.key += absorbed.key;
        ++symbol.version;
        ++absorbed.version;
        symbol.next = absorbed.next;
        absorbed.next = -1;
        if (symbol.next >= 0)
            symbols_[symbol.next].previous = left;
    }

    const MergeRanks& ranks_;
    std::vector<Symbol> symbols_;
    std::priority_queue<Candidate, std::vector<Candidate>, std::greater<>> queue_;
};

} // namespace

std::vector<std::string> mergedPieces(std::string_view token, const MergeRanks& ranks)
{
    Word word(token, ranks);
    word.mergeAll();
    return std::move(word).pieces();
}

} // namespace Tokenizers
