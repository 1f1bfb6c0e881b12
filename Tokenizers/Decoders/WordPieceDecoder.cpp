#include "Tokenizers/Decoders/WordPieceDecoder.h"

#include "Platform/Text/CanonicalSearch.h"
#include "Tokenizers/ConfigurationError.h"

namespace Tokenizers {
namespace {

std::string requiredPrefix(const Hub::Config& config)
{
    std::optional<std::string> prefix = config.member("prefix").string();
    if (!prefix)
        throw ConfigurationError("Missing `prefix` configuration for WordPieceDecoder.", {"prefix"});
    return std::move(*prefix);
}

} // namespace

WordPieceDecoder::WordPieceDecoder(const Hub::Config& config)
    : prefix_(requiredPrefix(config)), cleanup_(config.member("cleanup").boolean(false)),
      re_(R"(\s(\.|\?|\!|\,|'\s|n't|'m|'s|'ve|'re))")
{
}

std::vector<std::string> WordPieceDecoder::decode(const std::vector<std::string>& tokens) const
{
    std::vector<std::string> decoded;
    decoded.reserve(tokens.size());
    for (std::size_t index = 0; index < tokens.size(); ++index) {
        std::string_view token = tokens[index];
        std::string text;
        if (index == 0)
            text = token;
        else if (token.starts_with(prefix_))
            text = token.substr(prefix_.size());
        else
            text = " " + std::string(token);
        decoded.push_back(cleanup_ ? cleanedUp(text) : std::move(text));
    }
    return decoded;
}

std::string WordPieceDecoder::cleanedUp(std::string_view text) const
{
    return Platform::replacingCanonicalMatches(re_.replaceAll(text, "$1"), " do not", " don't");
}

} // namespace Tokenizers
