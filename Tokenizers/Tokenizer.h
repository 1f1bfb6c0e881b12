#pragma once

// A text tokenizer: text to token strings and ids and back. Implementations
// allow calls from several threads at once.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class Tokenizer {
public:
    virtual ~Tokenizer() = default;

    // The token strings of the text, before special tokens are added.
    virtual std::vector<std::string> tokenize(std::string_view text) const = 0;
    // The ids of the text, with the tokenizer's special tokens added.
    virtual std::vector<int> encode(std::string_view text) const = 0;
    virtual std::vector<int> encode(std::string_view text, bool addSpecialTokens) const = 0;
    virtual std::vector<int> operator()(std::string_view text, bool addSpecialTokens) const
    {
        return encode(text, addSpecialTokens);
    }

    // The text of the ids; special tokens are not skipped.
    virtual std::string decode(std::span<const int> tokens) const { return decode(tokens, false); }
    virtual std::string decode(std::span<const int> tokens, bool skipSpecialTokens) const = 0;

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

    virtual bool hasChatTemplate() const { return false; }
};

} // namespace Tokenizers
