#include "Tokenizers/PostProcessors/SpecialToken.h"

#include "Tokenizers/ConfigurationError.h"

namespace Tokenizers {

SpecialToken SpecialToken::required(const Hub::Config& config, const std::string& key)
{
    if (const std::optional<Hub::Config::Token> token = config.member(key).token())
        return SpecialToken{token->first, token->second.string()};
    throw ConfigurationError("Missing `" + key + "` processor configuration", {key});
}

} // namespace Tokenizers
