#pragma once

// A text tokenizer: text to token strings and ids and back. Implementations
// allow calls from several threads at once.

#include "Tokenizers/TokenVocabulary.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class Tokenizer : public TokenVocabulary {
public:
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

    virtual bool hasChatTemplate() const { return false; }
};

} // namespace Tokenizers
