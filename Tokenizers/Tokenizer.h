#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

// A text tokenizer: text to token ids and back. Implementations allow calls
// from several threads at once.
class Tokenizer {
public:
    virtual ~Tokenizer() = default;

    // The ids of the text, with the tokenizer's special tokens added.
    virtual std::vector<int> encode(std::string_view text) const = 0;
    // The text of the ids; special tokens are not skipped.
    virtual std::string decode(std::span<const int> tokens) const = 0;
    // Nothing when the vocabulary lacks the token text or the id.
    virtual std::optional<int> convertTokenToId(std::string_view token) const = 0;
    virtual std::optional<std::string> convertIdToToken(int id) const = 0;
};

} // namespace Tokenizers
