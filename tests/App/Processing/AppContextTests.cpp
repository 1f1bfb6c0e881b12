#include "App/Processing/AppContext.h"

#include <gtest/gtest.h>

#include <optional>

using QEL::AppContext;

TEST(AppContext, ClassifiesTheFrontmostApplicationInOrder)
{
    const struct {
        const char* name;
        const char* identifier;
        AppContext::Kind expected;
    } cases[] = {
        {"Thunderbird Mail", "mail.thunderbird", AppContext::email},
        {"Outlook", "", AppContext::email},
        {"Mailspring Code", "", AppContext::email}, // mail is tested first
        {"Slack", "slack", AppContext::teamChat},
        {"Chat", "com.slack.desktop", AppContext::teamChat},
        {"Telegram", "telegram-desktop", AppContext::messaging},
        {"discord", "", AppContext::messaging},
        {"Visual Studio Code", "code", AppContext::codeEditor},
        {"Neovim", "nvim", AppContext::codeEditor},
        {"Alacritty", "Alacritty", AppContext::terminal},
        {"Gnome-terminal", "gnome-terminal-server", AppContext::terminal},
        {"Firefox", "Navigator", AppContext::general},
        {"", "slack", AppContext::teamChat},
    };
    for (const auto& c : cases) {
        Platform::FrontmostApplication application{c.name, c.identifier};
        EXPECT_EQ(AppContext::classify(application), c.expected) << c.name;
    }
    EXPECT_EQ(AppContext::classify(std::nullopt), AppContext::general);
    EXPECT_EQ(AppContext::classify(Platform::FrontmostApplication{}), AppContext::general);
}
