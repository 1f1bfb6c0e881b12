#include "App/Processing/AppContext.h"

#include "Platform/Text/CaseMapping.h"

#include <initializer_list>
#include <string_view>

namespace QEL {

namespace {

bool containsAny(std::string_view haystack, std::initializer_list<std::string_view> words)
{
    for (std::string_view word : words)
        if (haystack.find(word) != std::string_view::npos)
            return true;
    return false;
}

} // namespace

AppContext AppContext::detect()
{
    return classify(Platform::frontmostApplication());
}

AppContext AppContext::classify(const std::optional<Platform::FrontmostApplication>& application)
{
    if (!application)
        return general;
    const std::string name = Platform::lowercased(application->displayName.value_or(""));
    const std::string identifier = Platform::lowercased(application->identifier.value_or(""));

    // Order matters: the first kind whose words the name contains decides.
    if (containsAny(name, {"mail", "outlook", "gmail"}))
        return email;
    if (containsAny(name, {"slack"}) || containsAny(identifier, {"slack"}))
        return teamChat;
    if (containsAny(name, {"messages", "whatsapp", "telegram", "discord"}))
        return messaging;
    if (containsAny(name, {"xcode", "code", "cursor", "windsurf", "vim", "neovim"}))
        return codeEditor;
    if (containsAny(name, {"terminal", "iterm", "warp", "alacritty"}))
        return terminal;
    return general;
}

} // namespace QEL
