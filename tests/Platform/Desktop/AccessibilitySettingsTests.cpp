#include "Platform/Desktop/AccessibilitySettings.h"

#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace {

// A stand-in for a desktop's settings program that notes how it was started.
void installFakeProgram(const fs::path& folder, const std::string& name, const fs::path& record)
{
    const fs::path program = folder / name;
    // PATH holds only the fake programs, so the script names /bin/mv in full.
    std::ofstream(program) << "#!/bin/sh\nprintf '%s %s\\n' \"${0##*/}\" \"$*\" > '" << record.string()
                           << ".tmp'\n/bin/mv '" << record.string() << ".tmp' '" << record.string() << "'\n";
    fs::permissions(program, fs::perms::owner_all);
}

} // namespace

TEST(AccessibilitySettings, OpensThePageOfTheRunningDesktopWhenItsProgramIsInstalled)
{
    const struct {
        std::optional<std::string> desktop;
        std::vector<std::string> installed;
        std::optional<std::string> started; // none: nothing opens
    } cases[] = {
        {"ubuntu:GNOME", {"gnome-control-center"}, "gnome-control-center universal-access"},
        {"kde", {"systemsettings5"}, "systemsettings5 kcm_access"},
        {"XFCE", {"xfce4-accessibility-settings"}, "xfce4-accessibility-settings "},
        {"GNOME", {}, std::nullopt},
        {"Openbox", {"gnome-control-center"}, std::nullopt},
        {std::nullopt, {"gnome-control-center"}, std::nullopt},
    };
    for (const auto& c : cases) {
        TestSupport::TemporaryFolder bin;
        const fs::path record = bin / "started";
        for (const std::string& name : c.installed)
            installFakeProgram(bin.path(), name, record);
        TestSupport::ScopedEnvironment path("PATH", bin.path().string());
        TestSupport::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", c.desktop);

        EXPECT_EQ(Platform::openAccessibilitySettings(), c.started.has_value()) << c.desktop.value_or("(unset)");
        if (c.started) {
            ASSERT_TRUE(TestSupport::waitUntil([&] { return fs::exists(record); }));
            EXPECT_EQ(TestSupport::fileContents(record), *c.started + "\n");
        }
    }
}
