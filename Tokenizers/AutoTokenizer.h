#pragma once

// Builds the tokenizer that a model's tokenizer files describe.

#include "Hub/Api/HubApi.h"
#include "Hub/Config/Config.h"
#include "Tokenizers/Tokenizer.h"

#include <filesystem>
#include <memory>
#include <string>

namespace Tokenizers::AutoTokenizer {

// The class the configuration names (Llama's or the plain pretrained one),
// built from the two documents; throws what its construction throws.
std::unique_ptr<Tokenizer> from(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData, bool strict);

// The class a hub repository's files name, fetched at "main" into the hub
// client's cache. Throws TokenizerError missingConfig without a tokenizer
// configuration, and the hub client's errors.
std::unique_ptr<Tokenizer> from(const std::string& pretrained, const Hub::HubApi& hubApi, bool strict);

// The plain pretrained tokenizer of a local model folder's files, whatever
// class they name. Throws TokenizerError missingConfig without a tokenizer
// configuration, and the loading's HubClientError.
std::unique_ptr<Tokenizer> from(const std::filesystem::path& modelFolder, bool strict);

} // namespace Tokenizers::AutoTokenizer
