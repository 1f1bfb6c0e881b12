#pragma once

// The WordPiece model of BERT-style tokenizers: words cut at white space and
// punctuation (CJK ideographs optionally words of their own), then split into
// the longest vocabulary pieces. Immutable once built; any number of threads
// may tokenize at once.

#include "Hub/Config/Config.h"
#include "Tokenizers/Models/WordPiece/BasicTokenizer.h"
#include "Tokenizers/Models/WordPiece/WordpieceTokenizer.h"
#include "Tokenizers/PreTrainedTokenizerModel.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Tokenizers {

class BertTokenizer : public PreTrainedTokenizerModel {
public:
    // `merges` is accepted for the model family's common form and not used.
    BertTokenizer(std::unordered_map<std::string, int> vocab, const std::optional<std::vector<std::string>>& merges,
                  bool tokenizeChineseChars, std::optional<std::string> bosToken, std::optional<std::string> eosToken,
                  bool fuseUnknownTokens, bool doLowerCase);
    // The data's "model" must hold a "vocab" dictionary (else TokenizerError
    // missingVocab). The data's added tokens and then `addedTokens` replace
    // vocabulary ids of the same text.
    BertTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                  const AddedTokenIds& addedTokens);

    std::vector<std::string> tokenize(std::string_view text) const override;

    // Unknown texts give the id of "[UNK]", if the vocabulary has it.
    std::optional<int> convertTokenToId(std::string_view token) const override;
    std::optional<std::string> convertIdToToken(int id) const override;

    std::optional<std::string> bosToken() const override { return bosToken_; }
    std::optional<int> bosTokenId() const override { return bosTokenId_; }
    std::optional<std::string> eosToken() const override { return eosToken_; }
    std::optional<int> eosTokenId() const override { return eosTokenId_; }
    std::optional<std::string> unknownToken() const override { return std::string(WordpieceTokenizer::unkToken); }
    std::optional<int> unknownTokenId() const override;
    bool fuseUnknownTokens() const override { return fuseUnknownTokens_; }

private:
    std::optional<int> vocabularyId(std::string_view token) const;

    std::shared_ptr<const std::unordered_map<std::string, int>> vocab_;
    std::unordered_map<int, std::string> idsToTokens_;
    BasicTokenizer basicTokenizer_;
    WordpieceTokenizer wordpieceTokenizer_;
    bool tokenizeChineseChars_;
    std::optional<std::string> bosToken_;
    std::optional<int> bosTokenId_;
    std::optional<std::string> eosToken_;
    std::optional<int> eosTokenId_;
    bool fuseUnknownTokens_;
};

} // namespace Tokenizers
