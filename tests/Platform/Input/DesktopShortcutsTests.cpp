#include "Platform/Input/DesktopShortcuts.h"

#include "Platform/Input/CarbonModifiers.h"
#include "Support/GnomeKeyBindings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using Platform::DesktopShortcut;
using Platform::desktopShortcutOfAccelerator;
using Platform::desktopShortcuts;
using testing::Contains;
using testing::ElementsAre;
using TestSupport::GnomeKeyBindings;
using TestSupport::keyBindingSchema;
using TestSupport::stringListKey;
namespace Modifier = Platform::CarbonModifier;

TEST(DesktopShortcuts, AcceleratorsReadAsVirtualKeysAndHotKeyMasks)
{
    const struct {
        std::string_view accelerator;
        std::optional<DesktopShortcut> shortcut;
    } cases[] = {
        {"<Super>Tab", DesktopShortcut{48, Modifier::command}},
        {"<Alt>F4", DesktopShortcut{118, Modifier::option}},
        {"<Primary><Alt>Delete", DesktopShortcut{117, Modifier::control | Modifier::option}},
        {"<Shift><Super>Page_Up", DesktopShortcut{116, Modifier::shift | Modifier::command}},
        {"<Control><Mod1>t", DesktopShortcut{17, Modifier::control | Modifier::option}},
        {"<ctrl><SHIFT>Escape", DesktopShortcut{53, Modifier::control | Modifier::shift}},
        {"<Mod4>H", DesktopShortcut{4, Modifier::command}},
        {"<Super>space", DesktopShortcut{49, Modifier::command}},
        {"XF86AudioMute", DesktopShortcut{74, 0}},
        {"", std::nullopt},
        {"disabled", std::nullopt},
        {"<Super>", std::nullopt},
        {"<Hyper>a", std::nullopt},
        {"<Super>Above_Tab", std::nullopt},
        {"<Super>Print", std::nullopt},
        {"<Super", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktopShortcutOfAccelerator(c.accelerator), c.shortcut) << c.accelerator;
}

TEST(DesktopShortcuts, GnomesBindingsAreListedSchemaBySchemaAndKeyByKey)
{
    const std::string windowManager = keyBindingSchema(
        "org.gnome.desktop.wm.keybindings",
        stringListKey("switch-windows", "['<Super>Tab', '<Alt>Tab']") + stringListKey("close", "['<Alt>F4']") +
            stringListKey("lower", "@as []") + stringListKey("minimize", "['disabled']") +
            "<key name=\"show-desktop\" type=\"s\"><default>'&lt;Super&gt;d'</default></key>\n"
            "<key name=\"wrap\" type=\"b\"><default>true</default></key>\n");
    const std::string mediaKeys = keyBindingSchema(
        "org.gnome.settings-daemon.plugins.media-keys",
        stringListKey("volume-mute", "['XF86AudioMute']") +
            stringListKey("custom-keybindings",
                          "['/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/terminal/']"));
    const std::string customBinding =
        "<schema id=\"org.gnome.settings-daemon.plugins.media-keys.custom-keybinding\">\n"
        "<key name=\"binding\" type=\"s\"><default>'&lt;Primary&gt;&lt;Alt&gt;t'</default></key>\n"
        "<key name=\"command\" type=\"s\"><default>'x-terminal-emulator'</default></key>\n"
        "</schema>\n";
    const GnomeKeyBindings desktop(windowManager + mediaKeys + customBinding);

    // Keys in the order of their names; a list in its own order.
    EXPECT_THAT(desktopShortcuts(), ElementsAre(DesktopShortcut{118, Modifier::option}, // close
                                                DesktopShortcut{2, Modifier::command},  // show-desktop
                                                DesktopShortcut{48, Modifier::command}, // switch-windows
                                                DesktopShortcut{48, Modifier::option},  //
                                                DesktopShortcut{74, 0},                 // volume-mute
                                                DesktopShortcut{17, Modifier::control | Modifier::option}));
}

TEST(DesktopShortcuts, OnlyGnomeListsItsBindings)
{
    const std::string schemas =
        keyBindingSchema("org.gnome.desktop.wm.keybindings", stringListKey("close", "['<Alt>F4']"));
    {
        const TestSupport::ScopedEnvironment noDesktop("XDG_CURRENT_DESKTOP", std::nullopt);
        EXPECT_THAT(desktopShortcuts(), ElementsAre());
    }
    {
        const GnomeKeyBindings desktop(schemas, "GNOME");
        EXPECT_THAT(desktopShortcuts(), ElementsAre(DesktopShortcut{118, Modifier::option}));
    }
    {
        const GnomeKeyBindings desktop(schemas, "openbox");
        EXPECT_THAT(desktopShortcuts(), ElementsAre());
    }
}

TEST(DesktopShortcuts, WithoutTheSchemasGnomeListsNothing)
{
    const GnomeKeyBindings desktop(keyBindingSchema("org.example.unrelated", stringListKey("a", "['<Alt>a']")));
    EXPECT_THAT(desktopShortcuts(), ElementsAre());
}

// The schemas that the Debian package gsettings-desktop-schemas installs, as
// on a GNOME desktop.
TEST(DesktopShortcuts, TheInstalledWindowManagerBindingsAreListed)
{
    const TestSupport::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "GNOME");
    const TestSupport::ScopedEnvironment backend("GSETTINGS_BACKEND", "memory");
    const TestSupport::ScopedEnvironment schemas("GSETTINGS_SCHEMA_DIR", std::nullopt);
    const TestSupport::ScopedEnvironment dataFolders("XDG_DATA_DIRS", "/usr/share");
    if (!std::filesystem::exists("/usr/share/glib-2.0/schemas/org.gnome.desktop.wm.keybindings.gschema.xml"))
        GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
    EXPECT_THAT(desktopShortcuts(), Contains(DesktopShortcut{118, Modifier::option})) << "close: <Alt>F4";
}
