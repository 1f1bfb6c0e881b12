#pragma once

// Replaces a literal text or the matches of an expression; without a pattern
// the text stays as it is.

#include "Hub/Config/Config.h"
#include "Tokenizers/Normalizers/Normalizer.h"
#include "Tokenizers/Normalizers/StringReplacePattern.h"

#include <optional>

namespace Tokenizers {

class ReplaceNormalizer : public Normalizer {
public:
    explicit ReplaceNormalizer(const Hub::Config& config) : pattern_(StringReplacePattern::from(config)) {}
    std::string normalize(std::string_view text) const override
    {
        return pattern_ ? pattern_->apply(text) : std::string(text);
    }

private:
    std::optional<StringReplacePattern> pattern_;
};

} // namespace Tokenizers
