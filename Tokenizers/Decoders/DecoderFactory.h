#pragma once

// The decoder that a tokenizer file's decoder object names by "type".

#include "Hub/Config/Config.h"
#include "Tokenizers/Decoders/Decoder.h"

#include <memory>
#include <set>
#include <string>

namespace Tokenizers::DecoderFactory {

// None for no object or no "type" text. A byte-level decoder keeps the added
// tokens whole. Throws ConfigurationError for a type outside the table or a
// member that cannot be built.
std::unique_ptr<Decoder> fromConfig(const Hub::Config& config, const std::set<std::string>& addedTokens = {});

} // namespace Tokenizers::DecoderFactory
