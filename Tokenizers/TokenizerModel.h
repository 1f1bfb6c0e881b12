#pragma once

// The vocabulary model that each tokenizer class name of a tokenizer
// configuration selects. Names match exactly.

#include "Hub/Config/Config.h"
#include "Tokenizers/PreTrainedTokenizerModel.h"

#include <map>
#include <memory>
#include <string_view>

namespace Tokenizers::TokenizerModel {

using ModelConstructor = std::unique_ptr<PreTrainedTokenizerModel> (*)(const Hub::Config& tokenizerConfig,
                                                                       const Hub::Config& tokenizerData,
                                                                       const AddedTokenIds& addedTokens);

const std::map<std::string_view, ModelConstructor>& knownTokenizers();

} // namespace Tokenizers::TokenizerModel
