#pragma once

// cls, the tokens and sep; for a non-empty pair its tokens and sep again.
// Without special tokens, the tokens followed by the pair's.

#include "Hub/Config/Config.h"
#include "Tokenizers/PostProcessors/PostProcessor.h"
#include "Tokenizers/PostProcessors/SpecialToken.h"

namespace Tokenizers {

class BertProcessing : public PostProcessor {
public:
    // Reads "sep" and then "cls".
    explicit BertProcessing(const Hub::Config& config)
        : sep_(SpecialToken::required(config, "sep")), cls_(SpecialToken::required(config, "cls"))
    {
    }
    std::vector<std::string> postProcess(const std::vector<std::string>& tokens,
                                         const std::optional<std::vector<std::string>>& tokensPair,
                                         bool addSpecialTokens) const override;

private:
    SpecialToken sep_;
    SpecialToken cls_;
};

// The tokens followed by the pair's tokens, if any.
std::vector<std::string> concatenated(const std::vector<std::string>& tokens,
                                      const std::optional<std::vector<std::string>>& tokensPair);

} // namespace Tokenizers
