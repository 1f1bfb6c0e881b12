#pragma once

// The post-processor that a tokenizer file's post-processor object names by
// "type".

#include "Hub/Config/Config.h"
#include "Tokenizers/PostProcessors/PostProcessor.h"

#include <memory>

namespace Tokenizers::PostProcessorFactory {

// None for no object or no "type" text. Throws ConfigurationError for a type
// outside the table or a member that cannot be built.
std::unique_ptr<PostProcessor> fromConfig(const Hub::Config& config);

} // namespace Tokenizers::PostProcessorFactory
