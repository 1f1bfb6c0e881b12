#pragma once

// All tokens joined into one piece.

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"

namespace Tokenizers {

class FuseDecoder : public Decoder {
public:
    explicit FuseDecoder(const Hub::Config&) {}
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override
    {
        std::string joined;
        for (const std::string& token : tokens)
            joined += token;
        return {joined};
    }
};

} // namespace Tokenizers
