#pragma once

// A replacement that the replace normalizer and the replace decoder share:
// every occurrence of a literal text, or every match of a regular expression
// with a replacement template ("$1" is group 1, a backslash escapes).

#include "Hub/Config/Config.h"
#include "Platform/Text/Regex.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace Tokenizers {

class StringReplacePattern {
public:
    struct Literal {
        std::string pattern;
    };

    // From "content" (the replacement) and "pattern" with "String" or, failing
    // that, "Regex" inside; none when either is missing. Throws
    // ConfigurationError "Cannot build regexp from <pattern>" for an
    // expression that does not compile.
    static std::optional<StringReplacePattern> from(const Hub::Config& config);

    // Literal text matches canonically equivalent text too.
    std::string apply(std::string_view text) const;

private:
    StringReplacePattern(std::variant<Platform::Regex, Literal> pattern, std::string replacement)
        : pattern_(std::move(pattern)), replacement_(std::move(replacement))
    {
    }

    std::variant<Platform::Regex, Literal> pattern_;
    std::string replacement_;
};

} // namespace Tokenizers
