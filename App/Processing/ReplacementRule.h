#pragma once

#include "Platform/Text/Regex.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace QEL {

// One text rule of the post-processing chain: a pattern compiled once with
// what replaces each of its matches. A pattern that does not compile leaves
// every text as it was.
class ReplacementRule {
public:
    using Computed = std::function<std::string(std::string_view text, const Platform::RegexMatch& match)>;

    ReplacementRule(std::string_view pattern, std::string replacementTemplate, Platform::RegexOptions options = {});
    ReplacementRule(std::string_view pattern, Computed replacement, Platform::RegexOptions options = {});

    // Every non-overlapping match replaced, left to right, in one pass.
    std::string apply(std::string_view text) const;

private:
    std::optional<Platform::Regex> regex_;
    std::string replacementTemplate_;
    Computed computed_;
};

// A pattern for `alternatives` standing as whole words. A word that goes on
// after an apostrophe is a different word: "that isn't" does not hold "that is".
std::string wholeWords(std::string_view alternatives);

} // namespace QEL
