#include "Tokenizers/AutoTokenizer.h"

#include "Hub/ModelConfiguration/LanguageModelConfigurationFromHub.h"
#include "Tokenizers/PreTrainedTokenizerClasses.h"
#include "Tokenizers/TokenizerError.h"

#include <utility>

namespace Tokenizers::AutoTokenizer {
namespace {

// The tokenizer configuration and the tokenizer data, in that order.
std::pair<Hub::Config, Hub::Config> documents(const Hub::LanguageModelConfigurationFromHub& configuration)
{
    std::optional<Hub::Config> tokenizerConfig = configuration.tokenizerConfig();
    if (!tokenizerConfig)
        throw TokenizerError::missingConfig();
    return {std::move(*tokenizerConfig), configuration.tokenizerData()};
}

} // namespace

std::unique_ptr<Tokenizer> from(const Hub::Config& tokenizerConfig, const Hub::Config& tokenizerData, bool strict)
{
    return PreTrainedTokenizerClasses::tokenizerClass(tokenizerConfig)(tokenizerConfig, tokenizerData, strict);
}

std::unique_ptr<Tokenizer> from(const std::string& pretrained, const Hub::HubApi& hubApi, bool strict)
{
    const auto [tokenizerConfig, tokenizerData] =
        documents(Hub::LanguageModelConfigurationFromHub(pretrained, "main", hubApi));
    return from(tokenizerConfig, tokenizerData, strict);
}

std::unique_ptr<Tokenizer> from(const std::filesystem::path& modelFolder, bool strict)
{
    const auto [tokenizerConfig, tokenizerData] = documents(Hub::LanguageModelConfigurationFromHub(modelFolder));
    return std::make_unique<PreTrainedTokenizer>(tokenizerConfig, tokenizerData, strict);
}

} // namespace Tokenizers::AutoTokenizer
