#pragma once

// Turns the token strings of a model back into pieces of text, which the
// tokenizer then joins. Members are immutable once built and may be used
// from several threads at once.

#include <string>
#include <vector>

namespace Tokenizers {

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual std::vector<std::string> decode(const std::vector<std::string>& tokens) const = 0;
    std::vector<std::string> operator()(const std::vector<std::string>& tokens) const { return decode(tokens); }
};

} // namespace Tokenizers
