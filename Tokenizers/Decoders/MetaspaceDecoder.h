#pragma once

// Turns the word marker ("replacement", "_" when absent) back into spaces;
// with "add_prefix_space" the first token loses one leading space.

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"

namespace Tokenizers {

class MetaspaceDecoder : public Decoder {
public:
    explicit MetaspaceDecoder(const Hub::Config& config)
        : addPrefixSpace_(config.member("addPrefixSpace").boolean(false)),
          replacement_(config.member("replacement").string("_"))
    {
    }
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override;

private:
    bool addPrefixSpace_;
    std::string replacement_;
};

} // namespace Tokenizers
