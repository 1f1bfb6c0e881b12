#pragma once

// Post-processors applied one after the other; only the first sees the pair.

#include "Hub/Config/Config.h"
#include "Tokenizers/PostProcessors/PostProcessor.h"

#include <memory>

namespace Tokenizers {

class SequenceProcessing : public PostProcessor {
public:
    // Reads "processors"; without that array: "Missing `processors`
    // configuration".
    explicit SequenceProcessing(const Hub::Config& config);
    std::vector<std::string> postProcess(const std::vector<std::string>& tokens,
                                         const std::optional<std::vector<std::string>>& tokensPair,
                                         bool addSpecialTokens) const override;

private:
    std::vector<std::unique_ptr<PostProcessor>> processors_;
};

} // namespace Tokenizers
