#pragma once

// Cuts text at a pattern and keeps the separators as pieces of their own;
// "invert" drops literal separators instead. Without a pattern the text
// stays whole.

#include "Hub/Config/Config.h"
#include "Tokenizers/PreTokenizers/PreTokenizer.h"
#include "Tokenizers/PreTokenizers/StringSplitPattern.h"

#include <optional>

namespace Tokenizers {

class SplitPreTokenizer : public PreTokenizer {
public:
    explicit SplitPreTokenizer(const Hub::Config& config);
    using PreTokenizer::preTokenize;
    std::vector<std::string> preTokenize(std::string_view text, const PreTokenizerOptions& options) const override;

private:
    std::optional<StringSplitPattern> pattern_;
    bool invert_;
};

} // namespace Tokenizers
