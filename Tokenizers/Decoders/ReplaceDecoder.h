#pragma once

// Replaces a literal text or the matches of an expression in each token on
// its own; without a pattern the tokens stay as they are.

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"
#include "Tokenizers/Normalizers/StringReplacePattern.h"

#include <optional>

namespace Tokenizers {

class ReplaceDecoder : public Decoder {
public:
    explicit ReplaceDecoder(const Hub::Config& config) : pattern_(StringReplacePattern::from(config)) {}
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override
    {
        if (!pattern_)
            return tokens;
        std::vector<std::string> replaced;
        replaced.reserve(tokens.size());
        for (const std::string& token : tokens)
            replaced.push_back(pattern_->apply(token));
        return replaced;
    }

private:
    std::optional<StringReplacePattern> pattern_;
};

} // namespace Tokenizers
