#pragma once

// The tokenizer class that a tokenizer configuration's class name selects:
// Llama's for "LlamaTokenizer" (after dropping "Fast"), the plain pretrained
// tokenizer for any other name or none.

#include "Hub/Config/Config.h"
#include "Tokenizers/PreTrainedTokenizer.h"

#include <map>
#include <memory>
#include <string_view>

namespace Tokenizers::PreTrainedTokenizerClasses {

using TokenizerConstructor = std::unique_ptr<PreTrainedTokenizer> (*)(const Hub::Config& tokenizerConfig,
                                                                      const Hub::Config& tokenizerData, bool strict);

const std::map<std::string_view, TokenizerConstructor>& tokenizerClasses();

// The class the configuration's "tokenizer_class" names.
TokenizerConstructor tokenizerClass(const Hub::Config& tokenizerConfig);

} // namespace Tokenizers::PreTrainedTokenizerClasses
