#pragma once

// A vocabulary model that the pretrained tokenizer builds from a tokenizer
// configuration, the tokenizer data and the added tokens it gathered (text to
// id). Each implementation offers a constructor of that form, which throws
// TokenizerError or ConfigurationError when the files cannot make a model.

#include "Hub/Config/Config.h"
#include "Tokenizers/TokenizingModel.h"

#include <string>
#include <unordered_map>

namespace Tokenizers {

using AddedTokenIds = std::unordered_map<std::string, int>;

class PreTrainedTokenizerModel : public TokenizingModel {};

} // namespace Tokenizers
