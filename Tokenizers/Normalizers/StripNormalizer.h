#pragma once

// Removes white space (the Unicode White_Space set, judged by a character's
// first code point) from the start ("stripLeft") and the end ("stripRight")
// of the text; both default to true.

#include "Hub/Config/Config.h"
#include "Tokenizers/Normalizers/Normalizer.h"

namespace Tokenizers {

class StripNormalizer : public Normalizer {
public:
    explicit StripNormalizer(const Hub::Config& config)
        : leftStrip_(config.member("stripLeft").boolean(true)), rightStrip_(config.member("stripRight").boolean(true))
    {
    }
    std::string normalize(std::string_view text) const override;

private:
    bool leftStrip_;
    bool rightStrip_;
};

} // namespace Tokenizers
