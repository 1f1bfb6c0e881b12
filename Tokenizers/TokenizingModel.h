#pragma once

// A vocabulary model: one pre-token to its token strings, and token strings
// to ids and back.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class TokenizingModel {
public:
    virtual ~TokenizingModel() = default;

    virtual std::vector<std::string> tokenize(std::string_view text) const = 0;
    virtual std::vector<std::string> operator()(std::string_view text) const { return tokenize(text); }

    virtual std::optional<int> convertTokenToId(std::string_view token) const = 0;
    virtual std::vector<std::optional<int>> convertTokensToIds(std::span<const std::string> tokens) const;
    virtual std::optional<std::string> convertIdToToken(int id) const = 0;
    virtual std::vector<std::optional<std::string>> convertIdsToTokens(std::span<const int> ids) const;

    virtual std::optional<std::string> bosToken() const = 0;
    virtual std::optional<int> bosTokenId() const = 0;
    virtual std::optional<std::string> eosToken() const = 0;
    virtual std::optional<int> eosTokenId() const = 0;
    virtual std::optional<std::string> unknownToken() const = 0;
    virtual std::optional<int> unknownTokenId() const = 0;
    // Whether the tokenizer joins runs of unknown tokens into one.
    virtual bool fuseUnknownTokens() const = 0;
};

} // namespace Tokenizers
