#pragma once

// Decoders applied one after the other, each to the output of the one before.

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"

#include <memory>

namespace Tokenizers {

class DecoderSequence : public Decoder {
public:
    // Reads "decoders", built without added tokens, so a byte-level decoder
    // inside converts every token; without that array: "No decoders in
    // Sequence".
    explicit DecoderSequence(const Hub::Config& config);
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override;

private:
    std::vector<std::unique_ptr<Decoder>> decoders_;
};

} // namespace Tokenizers
