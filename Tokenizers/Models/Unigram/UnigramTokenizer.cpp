#include "Tokenizers/Models/Unigram/UnigramTokenizer.h"

#include "Platform/Text/Graphemes.h"
#include "Tokenizers/Models/Unigram/TokenLattice.h"
#include "Tokenizers/TokenizerError.h"

#include <algorithm>

namespace Tokenizers {
namespace {

std::vector<UnigramTokenizer::SentencePieceToken> vocabularyOf(const Hub::Config& model)
{
    const std::optional<Hub::Config::Array> entries = model.member("vocab").array();
    if (!entries)
        throw TokenizerError::missingVocab();
    std::vector<UnigramTokenizer::SentencePieceToken> vocab;
    vocab.reserve(entries->size());
    for (const Hub::Config& entry : *entries) {
        const Hub::Config::Array pair = entry.array(Hub::Config::Array{});
        // A one-element entry has its text as its score, so it is malformed too.
        const std::optional<std::string> text = pair.empty() ? std::nullopt : pair.front().string();
        const std::optional<float> score = pair.empty() ? std::nullopt : pair.back().floating();
        if (!text || !score)
            throw TokenizerError::malformedVocab();
        vocab.push_back({*text, *score});
    }
    return vocab;
}

} // namespace

UnigramTokenizer::UnigramTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData,
                                   const AddedTokenIds&)
{
    const Hub::Config model = tokenizerData.member("model");
    vocab_ = vocabularyOf(model);
    minScore_ = 999;
    for (const SentencePieceToken& entry : vocab_)
        minScore_ = std::min(minScore_, entry.score);
    const std::optional<std::int64_t> unknownId = model.member("unkId").integer();
    // Without an entry at the unknown id there is no text for an uncovered
    // character, so the file cannot make a model.
    if (!unknownId || *unknownId < 0 || *unknownId >= static_cast<std::int64_t>(vocab_.size()))
        throw TokenizerError::malformedVocab();
    unknownTokenId_ = static_cast<int>(*unknownId);

    tokensToIds_.reserve(vocab_.size());
    // A text listed twice converts to its first id; the later entry is
    // reached by its id only.
    for (std::size_t id = 0; id < vocab_.size(); ++id)
        tokensToIds_.emplace(vocab_[id].token, static_cast<int>(id));

    bosTokenId_ = vocabularyId(" ");
    eosToken_ = tokenizerConfig.member("eosToken").string();
    eosTokenId_ = eosToken_ ? vocabularyId(*eosToken_) : std::nullopt;
    for (const SentencePieceToken& entry : vocab_) {
        const std::vector<std::string_view> characters = Platform::graphemeClusters(entry.token);
        trie_.insert(characters);
    }
}

std::vector<std::string> UnigramTokenizer::tokenize(std::string_view text) const
{
    TokenLattice lattice(text, bosTokenId_.value_or(0), eosTokenId_.value_or(0));
    const std::span<const std::string_view> characters = lattice.characters();
    for (std::size_t begin = 0; begin < characters.size(); ++begin) {
        LeavesWithCommonPrefixIterator<std::string, std::string_view> matches(trie_.root(), characters.subspan(begin));
        bool hasSingleCharacter = false;
        while (const std::optional<std::size_t> length = matches.next()) {
            const std::string_view last = characters[begin + *length - 1];
            const std::string_view match(characters[begin].data(), static_cast<std::size_t>(last.data() + last.size() -
                                                                                            characters[begin].data()));
            // The trie compares bytes as the id table does, so the text has an id.
            const int id = tokensToIds_.find(match)->second;
            lattice.insert(begin, *length, vocab_[static_cast<std::size_t>(id)].score, id);
            hasSingleCharacter = hasSingleCharacter || *length == 1;
        }
        if (!hasSingleCharacter)
            lattice.insert(begin, 1, unknownTokenScore(), unknownTokenId_);
    }
    return lattice.tokens();
}

std::optional<int> UnigramTokenizer::vocabularyId(std::string_view token) const
{
    const auto found = tokensToIds_.find(token);
    return found == tokensToIds_.end() ? std::nullopt : std::optional<int>(found->second);
}

std::optional<int> UnigramTokenizer::convertTokenToId(std::string_view token) const
{
    if (const std::optional<int> id = vocabularyId(token))
        return id;
    return unknownTokenId_;
}

std::optional<std::string> UnigramTokenizer::convertIdToToken(int id) const
{
    if (id < 0 || static_cast<std::size_t>(id) >= vocab_.size())
        return std::nullopt;
    return vocab_[static_cast<std::size_t>(id)].token;
}

} // namespace Tokenizers
