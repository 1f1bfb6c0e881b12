#pragma once

// Pre-tokenizers whose pieces are the matches of a fixed expression; text
// between matches, only ever white space here, is dropped.

#include "Hub/Config/Config.h"
#include "Platform/Text/Regex.h"
#include "Tokenizers/PreTokenizers/PreTokenizer.h"

namespace Tokenizers {

class PatternPreTokenizer : public PreTokenizer {
public:
    explicit PatternPreTokenizer(std::string_view pattern) : re_(pattern) {}
    using PreTokenizer::preTokenize;
    std::vector<std::string> preTokenize(std::string_view text, const PreTokenizerOptions& options) const override;

private:
    Platform::Regex re_;
};

// Runs of punctuation and runs of anything else.
class PunctuationPreTokenizer : public PatternPreTokenizer {
public:
    explicit PunctuationPreTokenizer(const Hub::Config& config);
};

// Runs of digits and runs of anything else; "individualDigits" makes every
// digit a piece of its own.
class DigitsPreTokenizer : public PatternPreTokenizer {
public:
    explicit DigitsPreTokenizer(const Hub::Config& config);
};

// Runs of anything but white space.
class WhitespacePreTokenizer : public PatternPreTokenizer {
public:
    explicit WhitespacePreTokenizer(const Hub::Config& config);
};

// Runs of anything but white space and punctuation, and each punctuation
// character alone.
class BertPreTokenizer : public PatternPreTokenizer {
public:
    explicit BertPreTokenizer(const Hub::Config& config);
};

} // namespace Tokenizers
