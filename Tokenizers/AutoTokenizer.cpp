#include "Tokenizers/AutoTokenizer.h"

#include "Hub/ModelConfiguration/LanguageModelConfigurationFromHub.h"
#include "Tokenizers/PreTrainedTokenizerClasses.h"
#include "Tokenizers/TokenizerError.h"

namespace Tokenizers::AutoTokenizer {

std::unique_ptr<Tokenizer> from(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData, bool strict)
{
    return PreTrainedTokenizerClasses::tokenizerClass(tokenizerConfig)(tokenizerConfig, tokenizerData, strict);
}

std::unique_ptr<Tokenizer> from(const std::filesystem::path& modelFolder, bool strict)
{
    const Hub::LanguageModelConfigurationFromHub configuration(modelFolder);
    const std::optional<Hub::Config> tokenizerConfig = configuration.tokenizerConfig();
    if (!tokenizerConfig)
        throw TokenizerError::missingConfig();
    return std::make_unique<PreTrainedTokenizer>(*tokenizerConfig, configuration.tokenizerData(), strict);
}

} // namespace Tokenizers::AutoTokenizer
