#pragma once

// A vocabulary model that the pretrained tokenizer builds from a tokenizer
// configuration, the tokenizer data and the added tokens it gathered (text to
// id). Each implementation offers a constructor of that form, which throws
// TokenizerError or ConfigurationError when the files cannot make a model.

#include "Hub/Config/Config.h"
#include "Tokenizers/TokenizingModel.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace Tokenizers {

using AddedTokenIds = std::unordered_map<std::string, int>;

class PreTrainedTokenizerModel : public TokenizingModel {};

// How a table of model classes builds one.
template <class Model>
std::unique_ptr<PreTrainedTokenizerModel> makeModel(const Hub::Config& tokenizerConfig,
                                                    const Hub::Config& tokenizerData, const AddedTokenIds& addedTokens)
{
    return std::make_unique<Model>(tokenizerConfig, tokenizerData, addedTokens);
}

} // namespace Tokenizers
