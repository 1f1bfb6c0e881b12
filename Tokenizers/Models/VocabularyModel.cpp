#include "Tokenizers/Models/VocabularyModel.h"

namespace Tokenizers {

VocabularyTable::VocabularyTable(TextMap<int> tokensToIds) : tokensToIds_(std::move(tokensToIds))
{
    idsToTokens_.reserve(tokensToIds_.size());
    for (const auto& [text, id] : tokensToIds_)
        idsToTokens_[id] = text;
}

std::optional<int> VocabularyTable::id(std::string_view token) const
{
    const auto found = tokensToIds_.find(token);
    return found == tokensToIds_.end() ? std::nullopt : std::optional<int>(found->second);
}

std::optional<std::string> VocabularyTable::token(int id) const
{
    const auto found = idsToTokens_.find(id);
    return found == idsToTokens_.end() ? std::nullopt : std::optional<std::string>(std::string(found->second));
}

VocabularyModel::VocabularyModel(TextMap<int> tokensToIds, std::optional<std::string> bosToken,
                                 std::optional<std::string> eosToken, std::optional<std::string> unknownToken,
                                 bool fuseUnknownTokens)
    : vocabulary_(std::make_shared<const VocabularyTable>(std::move(tokensToIds))), bosToken_(std::move(bosToken)),
      eosToken_(std::move(eosToken)), unknownToken_(std::move(unknownToken)), fuseUnknownTokens_(fuseUnknownTokens)
{
    const auto idOf = [this](const std::optional<std::string>& token) {
        return token ? vocabulary_->id(*token) : std::nullopt;
    };
    bosTokenId_ = idOf(bosToken_);
    eosTokenId_ = idOf(eosToken_);
    unknownTokenId_ = idOf(unknownToken_);
}

std::optional<int> VocabularyModel::convertTokenToId(std::string_view token) const
{
    if (const std::optional<int> id = vocabulary_->id(token))
        return id;
    return unknownTokenId_;
}

} // namespace Tokenizers
