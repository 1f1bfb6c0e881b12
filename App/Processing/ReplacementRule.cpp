#include "App/Processing/ReplacementRule.h"

#include "App/AppIdentity.h"
#include "Platform/Log/Log.h"

namespace QEL {

namespace {

std::optional<Platform::Regex> compileOrSkip(std::string_view pattern, Platform::RegexOptions options)
{
    try {
        return Platform::Regex(pattern, options);
    } catch (const Platform::RegexError& error) {
        Platform::Logger(AppIdentity::bundleIdentifier, "TextProcessing").error(error.what());
        return std::nullopt;
    }
}

} // namespace

ReplacementRule::ReplacementRule(std::string_view pattern, std::string replacementTemplate,
                                 Platform::RegexOptions options)
    : regex_(compileOrSkip(pattern, options)), replacementTemplate_(std::move(replacementTemplate))
{
}

ReplacementRule::ReplacementRule(std::string_view pattern, Computed replacement, Platform::RegexOptions options)
    : regex_(compileOrSkip(pattern, options)), computed_(std::move(replacement))
{
}

std::string ReplacementRule::apply(std::string_view text) const
{
    if (!regex_)
        return std::string(text);
    if (!computed_)
        return regex_->replaceAll(text, replacementTemplate_);
    return regex_->replaceAll(text, [&](const Platform::RegexMatch& match) { return computed_(text, match); });
}

std::string wholeWords(std::string_view alternatives)
{
    return "\\b(?:" + std::string(alternatives) + ")\\b(?!['’]\\w)";
}

} // namespace QEL
