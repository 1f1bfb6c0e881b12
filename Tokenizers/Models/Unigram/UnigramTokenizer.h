#pragma once

// The Unigram model: of all ways to cover a pre-token with vocabulary tokens,
// the one whose scores add up to the most. A character no token covers is a
// piece of its own, scored below every token, and converts to the unknown
// token's id. Immutable once built; any number of threads may tokenize at
// once.

#include "Hub/Config/Config.h"
#include "Tokenizers/Models/Unigram/Trie.h"
#include "Tokenizers/PreTrainedTokenizerModel.h"
#include "Tokenizers/TextMap.h"

#include <optional>
#include <string>
#include <vector>

namespace Tokenizers {

class UnigramTokenizer : public PreTrainedTokenizerModel {
public:
    struct SentencePieceToken {
        std::string token;
        float score = 0;
    };

    // The data's "model" must hold a "vocab" array (else TokenizerError
    // missingVocab) of [text, score] entries and an integer "unk_id" naming
    // one of them (else malformedVocab). The added tokens are not used.
    UnigramTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                     const AddedTokenIds& addedTokens);

    std::vector<std::string> tokenize(std::string_view text) const override;

    std::optional<int> convertTokenToId(std::string_view token) const override;
    std::optional<std::string> convertIdToToken(int id) const override;

    // The space, whether the vocabulary has it or not.
    std::optional<std::string> bosToken() const override { return " "; }
    std::optional<int> bosTokenId() const override { return bosTokenId_; }
    std::optional<std::string> eosToken() const override { return eosToken_; }
    std::optional<int> eosTokenId() const override { return eosTokenId_; }
    std::optional<std::string> unknownToken() const override { return vocab_[unknownTokenId_].token; }
    std::optional<int> unknownTokenId() const override { return unknownTokenId_; }
    bool fuseUnknownTokens() const override { return true; }

    // The least score of the vocabulary and 999.
    float minScore() const { return minScore_; }
    // Below every token, so that a vocabulary token always beats the fallback.
    float unknownTokenScore() const { return minScore_ - 10; }

private:
    std::optional<int> vocabularyId(std::string_view token) const;

    std::vector<SentencePieceToken> vocab_;
    int unknownTokenId_;
    float minScore_;
    TextMap<int> tokensToIds_;
    std::optional<int> bosTokenId_;
    std::optional<std::string> eosToken_;
    std::optional<int> eosTokenId_;
    Trie<std::string> trie_;
};

// The Unigram model as the T5 tokenizer class names it.
class T5Tokenizer : public UnigramTokenizer {
public:
    using UnigramTokenizer::UnigramTokenizer;
};

} // namespace Tokenizers
