#pragma once

// The pre-tokenizer that a tokenizer file's pre-tokenizer object names by
// "type".

#include "Hub/Config/Config.h"
#include "Tokenizers/PreTokenizers/PreTokenizer.h"

#include <memory>

namespace Tokenizers::PreTokenizerFactory {

// None for no object or no "type" text. Throws ConfigurationError for a type
// outside the table or a member that cannot be built.
std::unique_ptr<PreTokenizer> fromConfig(const Hub::Config& config);

} // namespace Tokenizers::PreTokenizerFactory
