#pragma once

#include "RadozodEri/Core/WhisperTokenizer.h"
#include "Tokenizers/Tokenizer.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace RadozodEri {

// The engine's tokenizer over a general one: knows which token texts are
// special (with fixed ids for a tokenizer that lacks them) and how tokens make
// words in languages written with and without spaces. Immutable once built.
class WhisperTokenizerWrapper : public WhisperTokenizer {
public:
    // `tokenizerFolder` is where the tokenizer came from, kept for the owner.
    WhisperTokenizerWrapper(std::unique_ptr<const Tokenizers::Tokenizer> tokenizer,
                            std::optional<std::filesystem::path> tokenizerFolder = std::nullopt);

    std::vector<int> encode(std::string_view text) const override { return tokenizer_->encode(text); }
    std::string decode(std::span<const int> tokens) const override { return tokenizer_->decode(tokens); }
    std::optional<int> convertTokenToId(std::string_view token) const override
    {
        return tokenizer_->convertTokenToId(token);
    }
    std::optional<std::string> convertIdToToken(int id) const override { return tokenizer_->convertIdToToken(id); }
    const SpecialTokens& specialTokens() const override { return specialTokens_; }
    const std::unordered_set<int>& allLanguageTokens() const override { return allLanguageTokens_; }

    // Text in Chinese, Japanese, Thai, Lao, Burmese or Cantonese is split at
    // character boundaries; anything else at spaces and punctuation.
    WordTokens splitToWordTokens(std::span<const int> tokenIds) const override;

    const std::optional<std::filesystem::path>& tokenizerFolder() const { return tokenizerFolder_; }

private:
    // A word wherever the tokens so far decode to whole characters; tokens of
    // a character cut off at the end are dropped.
    WordTokens splitTokensOnUnicode(std::span<const int> tokens) const;
    WordTokens splitTokensOnSpaces(std::span<const int> tokens) const;

    std::unique_ptr<const Tokenizers::Tokenizer> tokenizer_;
    std::optional<std::filesystem::path> tokenizerFolder_;
    SpecialTokens specialTokens_;
    std::unordered_set<int> allLanguageTokens_;
};

} // namespace RadozodEri
