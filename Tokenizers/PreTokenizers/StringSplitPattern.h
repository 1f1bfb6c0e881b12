#pragma once

// The separator of a split pre-tokenizer: a literal text or a regular
// expression, from the configuration's "pattern" object.

#include "Hub/Config/Config.h"
#include "Platform/Text/Regex.h"

#include <optional>
#include <string>
#include <variant>

namespace Tokenizers {

struct StringSplitPattern {
    struct Literal {
        std::string pattern;
    };

    // "String" inside "pattern", else "Regex", else none. Throws
    // ConfigurationError "Cannot build regexp from <pattern>" for an
    // expression that does not compile.
    static std::optional<StringSplitPattern> from(const Hub::Config& config);

    std::variant<Platform::Regex, Literal> pattern;
};

} // namespace Tokenizers
