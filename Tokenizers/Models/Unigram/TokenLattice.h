#pragma once

// The lattice of a Unigram segmentation: one node per vocabulary token found
// at a character position (extended grapheme clusters), and the Viterbi pass
// that picks the path of the highest total score. Nodes refer to each other
// by index, so a long path needs neither shared ownership nor recursion.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

struct TokenLatticeNode {
    int tokenId = 0;
    std::size_t startOffset = 0;
    std::size_t length = 0;
    float score = 0;
    // The best predecessor's index and the best path score up to and
    // including this node, set by the Viterbi pass.
    std::optional<std::size_t> prev;
    float backtraceScore = 0;
};

class TokenLattice {
public:
    // The begin-of-sentence node ends at 0 and the end-of-sentence node
    // starts at the character count.
    TokenLattice(std::string_view sentence, int bosTokenId, int eosTokenId);

    std::string_view sentence() const { return sentence_; }
    // The sentence's characters in order.
    const std::vector<std::string_view>& characters() const { return characters_; }
    const std::vector<TokenLatticeNode>& nodes() const { return nodes_; }

    void insert(std::size_t startOffset, std::size_t length, float score, int tokenId);

    // The best path's nodes in text order, without the two sentence nodes;
    // empty when some offset starts no node. Of equally scored predecessors
    // the first inserted wins, which is the longest one.
    std::vector<TokenLatticeNode> viterbi();
    // The text of each node of the best path.
    std::vector<std::string> tokens();

private:
    std::size_t add(TokenLatticeNode node);

    std::string_view sentence_;
    std::vector<std::string_view> characters_;
    std::vector<TokenLatticeNode> nodes_;
    std::vector<std::vector<std::size_t>> beginNodes_;
    std::vector<std::vector<std::size_t>> endNodes_;
};

} // namespace Tokenizers
