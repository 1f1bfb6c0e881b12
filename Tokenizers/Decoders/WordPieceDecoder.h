#pragma once

// Undoes the continuation prefix of WordPiece vocabularies ("prefix", such as
// "##"): a later token with the prefix joins the one before, any other gets a
// space in front. "cleanup" also removes the space before punctuation and
// contractions, token by token. An empty prefix joins every token.

#include "Hub/Config/Config.h"
#include "Platform/Text/Regex.h"
#include "Tokenizers/Decoders/Decoder.h"

namespace Tokenizers {

class WordPieceDecoder : public Decoder {
public:
    // Without "prefix": "Missing `prefix` configuration for WordPieceDecoder."
    explicit WordPieceDecoder(const Hub::Config& config);
    std::vector<std::string> decode(const std::vector<std::string>& tokens) const override;

private:
    std::string cleanedUp(std::string_view text) const;

    std::string prefix_;
    bool cleanup_;
    Platform::Regex re_;
};

} // namespace Tokenizers
