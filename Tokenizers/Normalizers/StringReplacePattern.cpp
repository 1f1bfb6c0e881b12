#include "Tokenizers/Normalizers/StringReplacePattern.h"

#include "Platform/Text/CanonicalSearch.h"
#include "Tokenizers/ConfigurationError.h"

namespace Tokenizers {

std::optional<StringReplacePattern> StringReplacePattern::from(const Hub::Config& config)
{
    const std::optional<std::string> content = config.member("content").string();
    if (!content)
        return std::nullopt;
    const Hub::Config pattern = config.member("pattern");
    if (std::optional<std::string> literal = pattern.member("String").string())
        return StringReplacePattern(Literal{std::move(*literal)}, *content);
    const std::optional<std::string> expression = pattern.member("Regex").string();
    if (!expression)
        return std::nullopt;
    try {
        return StringReplacePattern(Platform::Regex(*expression), *content);
    } catch (const Platform::RegexError&) {
        throw ConfigurationError("Cannot build regexp from " + *expression, {"pattern", "Regex"});
    }
}

std::string StringReplacePattern::apply(std::string_view text) const
{
    if (const auto* literal = std::get_if<Literal>(&pattern_))
        return Platform::replacingCanonicalMatches(text, literal->pattern, replacement_);
    return std::get<Platform::Regex>(pattern_).replaceAll(text, replacement_);
}

} // namespace Tokenizers
