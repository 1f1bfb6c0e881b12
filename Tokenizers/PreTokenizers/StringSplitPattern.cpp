#include "Tokenizers/PreTokenizers/StringSplitPattern.h"

#include "Tokenizers/ConfigurationError.h"

namespace Tokenizers {

std::optional<StringSplitPattern> StringSplitPattern::from(const Hub::Config& config)
{
    const Hub::Config pattern = config.member("pattern");
    if (std::optional<std::string> literal = pattern.member("String").string())
        return StringSplitPattern{Literal{std::move(*literal)}};
    const std::optional<std::string> expression = pattern.member("Regex").string();
    if (!expression)
        return std::nullopt;
    try {
        return StringSplitPattern{Platform::Regex(*expression)};
    } catch (const Platform::RegexError&) {
        throw ConfigurationError("Cannot build regexp from " + *expression, {"pattern", "Regex"});
    }
}

} // namespace Tokenizers
