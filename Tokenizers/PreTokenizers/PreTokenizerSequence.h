#pragma once

// Pre-tokenizers applied one after the other, each to every piece of the one
// before, all with the caller's options.

#include "Hub/Config/Config.h"
#include "Tokenizers/PreTokenizers/PreTokenizer.h"

#include <memory>

namespace Tokenizers {

class PreTokenizerSequence : public PreTokenizer {
public:
    // Reads "pretokenizers"; without that array: "No pretokenizers in Sequence".
    explicit PreTokenizerSequence(const Hub::Config& config);
    using PreTokenizer::preTokenize;
    std::vector<std::string> preTokenize(std::string_view text, const PreTokenizerOptions& options) const override;

private:
    std::vector<std::unique_ptr<PreTokenizer>> preTokenizers_;
};

} // namespace Tokenizers
