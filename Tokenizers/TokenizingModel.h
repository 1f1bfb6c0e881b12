#pragma once

// A vocabulary model: one pre-token to its token strings, and token strings
// to ids and back.

#include "Tokenizers/TokenVocabulary.h"

#include <string>
#include <string_view>
#include <vector>

namespace Tokenizers {

class TokenizingModel : public TokenVocabulary {
public:
    virtual std::vector<std::string> tokenize(std::string_view text) const = 0;
    virtual std::vector<std::string> operator()(std::string_view text) const { return tokenize(text); }

    // Whether the tokenizer joins runs of unknown tokens into one.
    virtual bool fuseUnknownTokens() const = 0;
};

} // namespace Tokenizers
