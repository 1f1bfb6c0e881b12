#include "Platform/Paths/StandardPaths.h"

#include "Support/TestEnvironment.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>

using TestSupport::ScopedEnvironment;

struct StandardFolderCase {
    const char* variable;
    std::optional<std::string> value;
    std::function<std::filesystem::path()> folder;
    std::filesystem::path expected;
};

TEST(StandardPaths, FollowAbsoluteXDGVariablesElseFallBelowHome)
{
    ScopedEnvironment home("HOME", "/home/someone");
    const auto support = Platform::applicationSupportDirectory;
    const auto config = Platform::configDirectory;
    const auto documents = Platform::documentsDirectory;
    const StandardFolderCase cases[] = {
        {"XDG_DATA_HOME", "/data/here", support, "/data/here"},
        {"XDG_DATA_HOME", std::nullopt, support, "/home/someone/.local/share"},
        {"XDG_DATA_HOME", "", support, "/home/someone/.local/share"},
        {"XDG_DATA_HOME", "relative/data", support, "/home/someone/.local/share"},
        {"XDG_CONFIG_HOME", "/config/here", config, "/config/here"},
        {"XDG_CONFIG_HOME", std::nullopt, config, "/home/someone/.config"},
        {"XDG_DOCUMENTS_DIR", "/docs/here", documents, "/docs/here"},
        {"XDG_DOCUMENTS_DIR", std::nullopt, documents, "/home/someone/Documents"},
    };
    for (const auto& c : cases) {
        ScopedEnvironment variable(c.variable, c.value);
        EXPECT_EQ(c.folder(), c.expected) << c.variable << "=" << c.value.value_or("(unset)");
    }
}

TEST(StandardPaths, FindHomeWithoutTheHomeVariable)
{
    ScopedEnvironment home("HOME", std::nullopt);
    ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_TRUE(Platform::configDirectory().is_absolute());
}
