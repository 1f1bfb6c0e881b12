#include "Tokenizers/Models/WordPiece/BertTokenizer.h"

#include "Tokenizers/CharacterClasses.h"
#include "Tokenizers/StageConfig.h"
#include "Tokenizers/TokenizerError.h"

namespace Tokenizers {
namespace {

TextMap<int> vocabularyOf(const Hub::Config& tokenizerData, const AddedTokenIds& addedTokens)
{
    const std::optional<Hub::Config::Dictionary> entries = tokenizerData.member("model").member("vocab").dictionary();
    if (!entries)
        throw TokenizerError::missingVocab();
    TextMap<int> vocab;
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

BertTokenizer::BertTokenizer(TextMap<int> vocab, const std::optional<std::vector<std::string>>&,
                             bool tokenizeChineseChars, std::optional<std::string> bosToken,
                             std::optional<std::string> eosToken, bool fuseUnknownTokens, bool doLowerCase)
    : VocabularyModel(std::move(vocab), std::move(bosToken), std::move(eosToken),
                      std::string(WordpieceTokenizer::unkToken), fuseUnknownTokens),
      basicTokenizer_(doLowerCase), wordpieceTokenizer_(vocabulary()), tokenizeChineseChars_(tokenizeChineseChars)
{
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

} // namespace Tokenizers
