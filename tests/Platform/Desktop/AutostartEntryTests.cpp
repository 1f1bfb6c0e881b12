#include "Platform/Desktop/AutostartEntry.h"

#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

class AutostartEntryTest : public testing::Test {
protected:
    TestSupport::TemporaryFolder config;
    TestSupport::ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.path().string()};
};

} // namespace

TEST_F(AutostartEntryTest, WritesAnEntryThatStartsTheProgramAndRemovesIt)
{
    const fs::path entry = config / "autostart/qel.desktop";
    EXPECT_EQ(Platform::autostartEntryPath("qel.desktop"), entry);

    Platform::installAutostartEntry("qel.desktop", "QEL", "/usr/bin/qel");
    EXPECT_EQ(TestSupport::fileContents(entry), "[Desktop Entry]\nType=Application\nName=QEL\nExec=\"/usr/bin/qel\"\n");

    // Blanks, quotes, shell characters, a percent sign and a backslash stay
    // part of the one program path, escaped for the quotes and then for the
    // entry's string type (a backslash becomes four).
    Platform::installAutostartEntry("qel.desktop", "Q\\EL", "/opt/my apps/q\"e$l`50%\\x/qel");
    EXPECT_EQ(TestSupport::fileContents(entry), "[Desktop Entry]\nType=Application\nName=Q\\\\EL\n"
                                                "Exec=\"/opt/my apps/q\\\\\"e\\\\$l\\\\`50%%\\\\\\\\x/qel\"\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(config / "autostart"), fs::directory_iterator()), 1);

    Platform::removeAutostartEntry("qel.desktop");
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_NO_THROW(Platform::removeAutostartEntry("qel.desktop"));
}

TEST_F(AutostartEntryTest, FailuresAreReportedNotSwallowed)
{
    std::ofstream(config / "autostart") << "a file where the folder belongs";
    EXPECT_THROW(Platform::installAutostartEntry("qel.desktop", "QEL", "/usr/bin/qel"), std::system_error);
    fs::remove(config / "autostart");

    // A non-empty folder in the entry's place cannot be removed as an entry.
    fs::create_directories(config / "autostart/qel.desktop/inside");
    EXPECT_THROW(Platform::removeAutostartEntry("qel.desktop"), fs::filesystem_error);
}
