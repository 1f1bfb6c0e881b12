#pragma once

// Turns byte-level text back into UTF-8: runs of tokens are joined, each
// character read as its byte, and the bytes decoded, so a character whose
// bytes lie in several tokens of one run comes back whole. Added tokens are
// no byte-level text and stay as they are, each a piece of its own.

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"

#include <set>
#include <string>

namespace Tokenizers {

class ByteLevelDecoder : public Decoder {
public:
    explicit ByteLevelDecoder(const Hub::Config& config, const std::set<std::string>& addedTokens = {});
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override;

private:
    // Canonically composed, so that any form of an added token is found.
    std::set<std::string> addedTokens_;
};

} // namespace Tokenizers
