#pragma once

// The pretrained tokenizer of Llama-style configurations. Unless the
// configuration is "legacy", the text is cut by the word marker (U+2581) in
// place of the file's normalizer and pre-tokenizer, a space in the text counts
// as the marker, and one marker goes in front. The beginning and end tokens
// come from the configuration unless the file has a template post-processor.

#include "Tokenizers/PreTrainedTokenizer.h"

namespace Tokenizers {

// The template post-processor configuration that the tokenizer
// configuration's add_bos_token, bos_token, add_eos_token and eos_token ask
// for; none when `processorConfig` already makes a template post-processor.
// Throws TokenizerError mismatchedConfig for a token asked for but missing.
std::optional<Hub::Config> maybeUpdatePostProcessor(const Hub::Config& tokenizerConfig,
                                                    const Hub::Config& processorConfig);

class LlamaPreTrainedTokenizer : public PreTrainedTokenizer {
public:
    LlamaPreTrainedTokenizer(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData, bool strict);

    std::vector<std::string> tokenize(std::string_view text) const override;

    bool isLegacy() const { return isLegacy_; }

private:
    bool isLegacy_;
};

} // namespace Tokenizers
