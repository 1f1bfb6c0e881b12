#pragma once

// The byte-pair-encoding model: a pre-token's characters merged by the ranks
// of a merges list, the pieces looked up in the vocabulary, and a piece the
// vocabulary lacks written as byte tokens ("<0xE2>"). Immutable once built;
// any number of threads may tokenize at once.

#include "Hub/Config/Config.h"
#include "Tokenizers/Models/BPE/MergeRanks.h"
#include "Tokenizers/PreTrainedTokenizerModel.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Tokenizers {

class BPETokenizer : public PreTrainedTokenizerModel {
public:
    // The data's "model" must hold "merges" (else ConfigurationError "BPETokenizer
    // requires merges") and a "vocab" dictionary (else TokenizerError
    // missingVocab). Added tokens take the place of vocabulary entries of the
    // same text. The special tokens and "fuseUnk" come from the configuration.
    BPETokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                 const AddedTokenIds& addedTokens);

    // The entries of a merges list: strings split at every space, arrays as
    // their strings; none when the value is no array.
    static std::optional<std::vector<std::vector<std::string>>> mergesFromConfig(const Hub::Config& merges);
    // One "<0xHH>" token per UTF-8 byte of the text.
    static std::vector<std::string> hexaEncode(std::string_view text);

    // The token's merged pieces joined by single spaces.
    std::string bpe(std::string_view token) const;
    std::vector<std::string> tokenize(std::string_view text) const override;

    // Unknown texts give the unknown token's id, if there is one.
    std::optional<int> convertTokenToId(std::string_view token) const override;
    std::optional<std::string> convertIdToToken(int id) const override;

    std::optional<std::string> bosToken() const override { return bosToken_; }
    std::optional<int> bosTokenId() const override { return bosTokenId_; }
    std::optional<std::string> eosToken() const override { return eosToken_; }
    std::optional<int> eosTokenId() const override { return eosTokenId_; }
    std::optional<std::string> unknownToken() const override { return unknownToken_; }
    std::optional<int> unknownTokenId() const override { return unknownTokenId_; }
    bool fuseUnknownTokens() const override { return fuseUnknownTokens_; }

private:
    std::optional<int> vocabularyId(std::string_view token) const;

    MergeRanks bpeRanks_;
    // Texts compare exactly, so two forms of one text are two tokens.
    std::unordered_map<std::string, int> tokensToIds_;
    std::unordered_map<int, std::string> idsToTokens_;
    std::optional<std::string> bosToken_;
    std::optional<int> bosTokenId_;
    std::optional<std::string> eosToken_;
    std::optional<int> eosTokenId_;
    std::optional<std::string> unknownToken_;
    std::optional<int> unknownTokenId_;
    bool fuseUnknownTokens_;
};

} // namespace Tokenizers
