#pragma once

// The normalizer that a tokenizer file's normalizer object names by "type".

#include "Hub/Config/Config.h"
#include "Tokenizers/Normalizers/Normalizer.h"

#include <memory>

namespace Tokenizers::NormalizerFactory {

// None for no object or no "type" text. Throws ConfigurationError for a type
// outside the table or a member that cannot be built.
std::unique_ptr<Normalizer> fromConfig(const Hub::Config& config);

} // namespace Tokenizers::NormalizerFactory
