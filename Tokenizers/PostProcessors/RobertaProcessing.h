#pragma once

// cls, the tokens and sep; for a non-empty pair sep, its tokens and sep, so
// two separators stand between the texts. With "trimOffset" (default true)
// each token's white space is trimmed first: to at most one character at
// each end with "addPrefixSpace" (default true), entirely otherwise. Without
// special tokens, the tokens followed by the pair's, as they came.

#include "Hub/Config/Config.h"
#include "Tokenizers/PostProcessors/PostProcessor.h"
#include "Tokenizers/PostProcessors/SpecialToken.h"

namespace Tokenizers {

class RobertaProcessing : public PostProcessor {
public:
    // Reads "sep" and then "cls".
    explicit RobertaProcessing(const Hub::Config& config);
    std::vector<std::string> postProcess(const std::vector<std::string>& tokens,
                                         const std::optional<std::vector<std::string>>& tokensPair,
                                         bool addSpecialTokens) const override;

private:
    std::vector<std::string> trimmed(const std::vector<std::string>& tokens) const;

    SpecialToken sep_;
    SpecialToken cls_;
    bool trimOffset_;
    bool addPrefixSpace_;
};

} // namespace Tokenizers
