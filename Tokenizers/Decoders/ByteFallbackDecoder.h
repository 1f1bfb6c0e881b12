#pragma once

// Turns byte tokens such as "<0x41>" back into bytes and decodes each run of
// them as UTF-8, ill-formed bytes becoming U+FFFD; other tokens pass
// unchanged.

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"

namespace Tokenizers {

class ByteFallbackDecoder : public Decoder {
public:
    explicit ByteFallbackDecoder(const Hub::Config&) {}
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override;
};

} // namespace Tokenizers
