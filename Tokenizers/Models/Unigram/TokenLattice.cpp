#include "Tokenizers/Models/Unigram/TokenLattice.h"

#include "Platform/Text/Graphemes.h"

#include <algorithm>

namespace Tokenizers {
namespace {

TokenLatticeNode node(int tokenId, std::size_t startOffset, std::size_t length, float score)
{
    TokenLatticeNode node;
    node.tokenId = tokenId;
    node.startOffset = startOffset;
    node.length = length;
    node.score = score;
    return node;
}

} // namespace

TokenLattice::TokenLattice(std::string_view sentence, int bosTokenId, int eosTokenId)
    : sentence_(sentence), characters_(Platform::graphemeClusters(sentence))
{
    const std::size_t count = characters_.size();
    beginNodes_.resize(count + 1);
    endNodes_.resize(count + 1);
    endNodes_[0].push_back(add(node(bosTokenId, 0, 0, 0)));
    beginNodes_[count].push_back(add(node(eosTokenId, count, 0, 0)));
}

std::size_t TokenLattice::add(TokenLatticeNode node)
{
    nodes_.push_back(node);
    return nodes_.size() - 1;
}

void TokenLattice::insert(std::size_t startOffset, std::size_t length, float score, int tokenId)
{
    const std::size_t index = add(node(tokenId, startOffset, length, score));
    beginNodes_[startOffset].push_back(index);
    endNodes_[startOffset + length].push_back(index);
}

std::vector<TokenLatticeNode> TokenLattice::viterbi()
{
    for (std::size_t offset = 0; offset < beginNodes_.size(); ++offset) {
        if (beginNodes_[offset].empty())
            return {};
        for (std::size_t right : beginNodes_[offset]) {
            TokenLatticeNode& node = nodes_[right];
            node.prev.reset();
            std::optional<float> bestScore;
            for (std::size_t left : endNodes_[offset]) {
                const float score = nodes_[left].backtraceScore + node.score;
                // Only a strictly greater score replaces the best, so a NaN never does.
                if (!bestScore || score > *bestScore) {
                    bestScore = score;
                    node.prev = left;
                }
            }
            if (bestScore)
                node.backtraceScore = *bestScore;
        }
    }
    std::vector<TokenLatticeNode> path;
    std::optional<std::size_t> index = nodes_[beginNodes_.back().front()].prev;
    if (!index)
        return {};
    for (; nodes_[*index].prev; index = nodes_[*index].prev)
        path.push_back(nodes_[*index]);
    std::ranges::reverse(path);
    return path;
}

std::vector<std::string> TokenLattice::tokens()
{
    std::vector<std::string> pieces;
    for (const TokenLatticeNode& node : viterbi()) {
        const std::size_t begin = static_cast<std::size_t>(characters_[node.startOffset].data() - sentence_.data());
        const std::string_view last = characters_[node.startOffset + node.length - 1];
        pieces.emplace_back(
            sentence_.substr(begin, static_cast<std::size_t>(last.data() - sentence_.data()) + last.size() - begin));
    }
    return pieces;
}

} // namespace Tokenizers
