#pragma once

// The lookups that tokenizers and their vocabulary models share: token texts
// to ids and back, one by one or as lists, and the special tokens.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class TokenVocabulary {
public:
    virtual ~TokenVocabulary() = default;

    // Nothing when the vocabulary lacks the token text or the id.
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
};

} // namespace Tokenizers
