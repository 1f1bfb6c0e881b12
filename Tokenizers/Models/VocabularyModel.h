#pragma once

// What the vocabulary models keep alike: a table of token texts and ids read
// both ways, and the special tokens found in it. A text outside the table
// converts to the unknown token's id, when there is one.

#include "Tokenizers/PreTrainedTokenizerModel.h"
#include "Tokenizers/TextMap.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace Tokenizers {

// Texts compare exactly, so two spellings of one text are two tokens. When
// several texts share an id, the id reads back as one of them.
class VocabularyTable {
public:
    explicit VocabularyTable(TextMap<int> tokensToIds);
    // The ids read back as views of the table's own texts.
    VocabularyTable(const VocabularyTable&) = delete;
    VocabularyTable& operator=(const VocabularyTable&) = delete;

    std::optional<int> id(std::string_view token) const;
    std::optional<std::string> token(int id) const;
    bool contains(std::string_view token) const { return tokensToIds_.contains(token); }

private:
    TextMap<int> tokensToIds_;
    std::unordered_map<int, std::string_view> idsToTokens_;
};

class VocabularyModel : public PreTrainedTokenizerModel {
public:
    std::optional<int> convertTokenToId(std::string_view token) const override;
    std::optional<std::string> convertIdToToken(int id) const override { return vocabulary_->token(id); }

    std::optional<std::string> bosToken() const override { return bosToken_; }
    std::optional<int> bosTokenId() const override { return bosTokenId_; }
    std::optional<std::string> eosToken() const override { return eosToken_; }
    std::optional<int> eosTokenId() const override { return eosTokenId_; }
    std::optional<std::string> unknownToken() const override { return unknownToken_; }
    std::optional<int> unknownTokenId() const override { return unknownTokenId_; }
    bool fuseUnknownTokens() const override { return fuseUnknownTokens_; }

protected:
    // The ids of the special tokens are looked up in the vocabulary.
    VocabularyModel(TextMap<int> tokensToIds, std::optional<std::string> bosToken, std::optional<std::string> eosToken,
                    std::optional<std::string> unknownToken, bool fuseUnknownTokens);

    const std::shared_ptr<const VocabularyTable>& vocabulary() const { return vocabulary_; }

private:
    std::shared_ptr<const VocabularyTable> vocabulary_;
    std::optional<std::string> bosToken_;
    std::optional<int> bosTokenId_;
    std::optional<std::string> eosToken_;
    std::optional<int> eosTokenId_;
    std::optional<std::string> unknownToken_;
    std::optional<int> unknownTokenId_;
    bool fuseUnknownTokens_;
};

} // namespace Tokenizers
