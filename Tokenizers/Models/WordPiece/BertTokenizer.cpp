#include "Tokenizers/Models/WordPiece/BertTokenizer.h"

#include "Tokenizers/CharacterClasses.h"
#include "Tokenizers/StageConfig.h"
#include "Tokenizers/TokenizerError.h"

namespace Tokenizers {
namespace {

std::unordered_map<std::string, int> vocabularyOf(const Hub::Config& tokenizerData, const AddedTokenIds& addedTokens)
{
    const std::optional<Hub::Config::Dictionary> entries = tokenizerData.member("model").member("vocab").dictionary();
    if (!entries)
        throw TokenizerError::missingVocab();
    std::unordered_map<std::string, int> vocab;
    vocab.reserve(entries->size() + addedTokens.size());
    for (const auto& [key, value] : *entries)
        if (const std::optional<int> id = tokenId(value))
            vocab[key.string()] = *id;
    for (const Hub::Config& entry : tokenizerData.member("addedTokens").array(Hub::Config::Array{})) {
        const std::optional<int> id = tokenId(entry.member("id"));
        const std::optional<std::string> content = entry.member("content").string();
        if (id && content)
            vocab[*content] = *id;
    }
    for (const auto& [text, id] : addedTokens)
        vocab[text] = id;
    return vocab;
}

} // namespace

BertTokenizer::BertTokenizer(std::unordered_map<std::string, int> vocab, const std::optional<std::vector<std::string>>&,
                             bool tokenizeChineseChars, std::optional<std::string> bosToken,
                             std::optional<std::string> eosToken, bool fuseUnknownTokens, bool doLowerCase)
    : vocab_(std::make_shared<const std::unordered_map<std::string, int>>(std::move(vocab))),
      basicTokenizer_(doLowerCase), wordpieceTokenizer_(vocab_), tokenizeChineseChars_(tokenizeChineseChars),
      bosToken_(std::move(bosToken)), eosToken_(std::move(eosToken)), fuseUnknownTokens_(fuseUnknownTokens)
{
    for (const auto& [text, id] : *vocab_)
        idsToTokens_[id] = text;
    bosTokenId_ = bosToken_ ? vocabularyId(*bosToken_) : std::nullopt;
    eosTokenId_ = eosToken_ ? vocabularyId(*eosToken_) : std::nullopt;
}

BertTokenizer::BertTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                             const AddedTokenIds& addedTokens)
    : BertTokenizer(vocabularyOf(tokenizerData, addedTokens),
                    tokenizerData.member("model").member("merges").get<std::vector<std::string>>(),
                    tokenizerConfig.member("handleChineseChars").boolean(true),
                    tokenizerConfig.member("bosToken").string(), tokenizerConfig.member("eosToken").string(),
                    tokenizerConfig.member("fuseUnk").boolean(false),
                    tokenizerConfig.member("doLowerCase").boolean(true))
{
}

std::vector<std::string> BertTokenizer::tokenize(std::string_view text) const
{
    const std::string spaced = tokenizeChineseChars_ ? spacedChineseCharacters(text) : std::string(text);
    std::vector<std::string> tokens;
    for (const std::string& word : basicTokenizer_.tokenize(spaced))
        for (std::string& piece : wordpieceTokenizer_.tokenize(word))
            tokens.push_back(std::move(piece));
    return tokens;
}

std::optional<int> BertTokenizer::vocabularyId(std::string_view token) const
{
    const auto found = vocab_->find(std::string(token));
    return found == vocab_->end() ? std::nullopt : std::optional<int>(found->second);
}

std::optional<int> BertTokenizer::unknownTokenId() const
{
    return vocabularyId(WordpieceTokenizer::unkToken);
}

std::optional<int> BertTokenizer::convertTokenToId(std::string_view token) const
{
    if (const std::optional<int> id = vocabularyId(token))
        return id;
    return unknownTokenId();
}

std::optional<std::string> BertTokenizer::convertIdToToken(int id) const
{
    const auto found = idsToTokens_.find(id);
    return found == idsToTokens_.end() ? std::nullopt : std::optional<std::string>(found->second);
}

} // namespace Tokenizers
