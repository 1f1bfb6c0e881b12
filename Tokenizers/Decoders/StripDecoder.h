#pragma once

// Removes up to "start" copies of a character ("content") from the front of
// each token and up to "stop" from the back. A content of several characters
// is removed as a whole; an empty one removes nothing.

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"

namespace Tokenizers {

class StripDecoder : public Decoder {
public:
    // Each key is required: "Incorrect StripDecoder configuration: can't
    // parse `<key>`." when it is absent or not of its kind (the counts must
    // be integers).
    explicit StripDecoder(const Hub::Config& config);
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override;

private:
    std::string content_;
    std::int64_t start_;
    std::int64_t stop_;
};

} // namespace Tokenizers
