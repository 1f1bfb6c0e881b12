#pragma once

// A rewrite of text before it is cut into pre-tokens: Unicode forms, letter
// case, prefixes, replacements, stripping. Members are immutable once built
// and may be used from several threads at once.

#include <string>
#include <string_view>

namespace Tokenizers {

class Normalizer {
public:
    virtual ~Normalizer() = default;
    virtual std::string normalize(std::string_view text) const = 0;
    std::string operator()(std::string_view text) const { return normalize(text); }
};

} // namespace Tokenizers
