#pragma once

// The tokens of the first text as they are; a pair is dropped.

#include "Hub/Config/Config.h"
#include "Tokenizers/PostProcessors/PostProcessor.h"

namespace Tokenizers {

class ByteLevelPostProcessor : public PostProcessor {
public:
    explicit ByteLevelPostProcessor(const Hub::Config&) {}
    std::vector<std::string> postProcess(const std::vector<std::string>& tokens,
                                         const std::optional<std::vector<std::string>>&, bool) const override
    {
        return tokens;
    }
};

} // namespace Tokenizers
