#include "Tokenizers/Models/BPE/MergeRanks.h"

#include "Platform/Text/Graphemes.h"
#include "Platform/Text/Normalization.h"

#include <algorithm>
#include <queue>
#include <unordered_map>

namespace Tokenizers {

namespace {

std::uint64_t pairKey(int left, int right)
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(left)) << 32) | static_cast<std::uint32_t>(right);
}

} // namespace

MergeRanks::MergeRanks(const std::vector<std::vector<std::string>>& merges)
{
    ranks_.reserve(merges.size());
    // Most merges make a piece no earlier merge made.
    pieceNumbers_.reserve(merges.size());
    for (std::size_t position = 0; position < merges.size(); ++position) {
        const std::vector<std::string>& pieces = merges[position];
        if (pieces.size() < 2)
            continue;
        const int left = numbered(canonicalKey(pieces[0]));
        const int right = numbered(canonicalKey(pieces[1]));
        ranks_.insert_or_assign(pairKey(left, right), static_cast<int>(position));
    }
}

int MergeRanks::numbered(std::string key)
{
    return pieceNumbers_.try_emplace(std::move(key), static_cast<int>(pieceNumbers_.size())).first->second;
}

std::optional<int> MergeRanks::pieceNumber(std::string_view key) const
{
    const auto found = pieceNumbers_.find(key);
    return found == pieceNumbers_.end() ? std::nullopt : std::optional<int>(found->second);
}

std::optional<int> MergeRanks::rank(int leftPiece, int rightPiece) const
{
    const auto found = ranks_.find(pairKey(leftPiece, rightPiece));
    return found == ranks_.end() ? std::nullopt : std::optional<int>(found->second);
}

std::optional<int> MergeRanks::rank(std::string_view leftKey, std::string_view rightKey) const
{
    const std::optional<int> left = pieceNumber(leftKey);
    const std::optional<int> right = pieceNumber(rightKey);
    return left && right ? rank(*left, *right) : std::nullopt;
}

std::string MergeRanks::canonicalKey(std::string_view piece)
{
    if (std::all_of(piece.begin(), piece.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(piece);
    return Platform::nfc(piece);
}

namespace {

// The word as a list of symbols linked both ways; merging joins a symbol into
// its left neighbour. A symbol is a run of the token's characters, so its
// text, and its key, is the span from its first character to the next
// symbol's: merging copies no text. A pair waits under its rank, known by its
// left symbol and that symbol's version: any change of the pair bumps the
// version of its left symbol, so a waiting pair knows when it no longer
// stands in the word.
struct Link {
    int previous;
    int next;
    unsigned version;
    // The key's number among the listed pieces; -1: no pair holds it.
    int piece;
};

struct WaitingPair {
    int left;
    unsigned version;
};

class Word {
public:
    Word(std::string_view token, const MergeRanks& ranks) : token_(token), ranks_(ranks)
    {
        const std::vector<std::string_view> characters = Platform::graphemeClusters(token);
        const int count = static_cast<int>(characters.size());
        // Canonical composition never reaches across a character boundary, so
        // a run's key is its characters' keys joined.
        const bool composed = MergeRanks::canonicalKey(token) == token;
        textStarts_.reserve(characters.size() + 1);
        keyStarts_.reserve(characters.size() + 1);
        for (std::string_view character : characters) {
            textStarts_.push_back(static_cast<std::size_t>(character.data() - token.data()));
            if (composed) {
                keyStarts_.push_back(textStarts_.back());
            } else {
                keyStarts_.push_back(ownKeys_.size());
                ownKeys_ += MergeRanks::canonicalKey(character);
            }
        }
        keys_ = composed ? token : std::string_view(ownKeys_);
        textStarts_.push_back(token.size());
        keyStarts_.push_back(keys_.size());
        links_.reserve(characters.size());
        for (int index = 0; index < count; ++index)
            links_.push_back(Link{index - 1, index + 1 < count ? index + 1 : -1, 0, -1});
        for (int index = 0; index < count; ++index)
            links_[index].piece = pieceOf(index);
        for (int index = 0; index + 1 < count; ++index)
            queuePair(index);
    }

    void mergeAll()
    {
        while (!ranksWaiting_.empty()) {
            // One pass: every occurrence of the lowest-ranked pair, left to
            // right; the pairs that merging makes wait for the next pass.
            const int rank = ranksWaiting_.top();
            ranksWaiting_.pop();
            std::vector<WaitingPair> pairs = std::move(waiting_.extract(rank).mapped());
            std::sort(pairs.begin(), pairs.end(),
                      [](const WaitingPair& a, const WaitingPair& b) { return a.left < b.left; });
            std::vector<int> merged;
            for (const WaitingPair& pair : pairs)
                if (links_[pair.left].version == pair.version && links_[pair.left].next >= 0) {
                    merge(pair.left);
                    merged.push_back(pair.left);
                }
            for (int index : merged) {
                if (links_[index].previous >= 0)
                    queuePair(links_[index].previous);
                queuePair(index);
            }
        }
    }

    std::vector<std::string> pieces() const
    {
        std::vector<std::string> result;
        for (int index = links_.empty() ? -1 : 0; index >= 0; index = links_[index].next)
            result.emplace_back(span(token_, textStarts_, index));
        return result;
    }

private:
    // The text from the symbol's first character up to the next symbol.
    std::string_view span(std::string_view text, const std::vector<std::size_t>& starts, int index) const
    {
        const std::size_t end = links_[index].next >= 0 ? starts[links_[index].next] : starts.back();
        return text.substr(starts[index], end - starts[index]);
    }

    int pieceOf(int index) const { return ranks_.pieceNumber(span(keys_, keyStarts_, index)).value_or(-1); }

    void queuePair(int left)
    {
        const int right = links_[left].next;
        if (right < 0 || links_[left].piece < 0 || links_[right].piece < 0)
            return;
        const std::optional<int> rank = ranks_.rank(links_[left].piece, links_[right].piece);
        if (!rank)
            return;
        auto [bucket, added] = waiting_.try_emplace(*rank);
        if (added)
            ranksWaiting_.push(*rank);
        bucket->second.push_back(WaitingPair{left, links_[left].version});
    }

    void merge(int left)
    {
        Link& link = links_[left];
        Link& absorbed = links_[link.next];
        ++link.version;
        ++absorbed.version;
        link.next = absorbed.next;
        absorbed.next = -1;
        if (link.next >= 0)
            links_[link.next].previous = left;
        if (link.previous >= 0)
            ++links_[link.previous].version;
        link.piece = pieceOf(left);
    }

    std::string_view token_;
    const MergeRanks& ranks_;
    std::string ownKeys_;
    std::string_view keys_;
    std::vector<std::size_t> textStarts_;
    std::vector<std::size_t> keyStarts_;
    std::vector<Link> links_;
    // The pairs in the word by rank, and the ranks that have pairs, lowest first.
    std::unordered_map<int, std::vector<WaitingPair>> waiting_;
    std::priority_queue<int, std::vector<int>, std::greater<>> ranksWaiting_;
};

} // namespace

std::vector<std::string> mergedPieces(std::string_view token, const MergeRanks& ranks)
{
    Word word(token, ranks);
    word.mergeAll();
    return word.pieces();
}

} // namespace Tokenizers
