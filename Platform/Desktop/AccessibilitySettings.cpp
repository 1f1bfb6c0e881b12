#include "Platform/Desktop/AccessibilitySettings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace Platform {

namespace {

struct SettingsPage {
    const char* desktop; // as XDG_CURRENT_DESKTOP names it
    const char* program;
    const char* argument;
};

// The first page whose desktop is running and whose program is installed is
// opened.
constexpr SettingsPage pages[] = {
    {"GNOME", "gnome-control-center", "universal-access"},
    {"Unity", "gnome-control-center", "universal-access"},
    {"KDE", "systemsettings", "kcm_access"},
    {"KDE", "systemsettings5", "kcm_access"},
    {"X-Cinnamon", "cinnamon-settings", "universal-access"},
    {"XFCE", "xfce4-accessibility-settings", nullptr},
    {"MATE", "mate-at-properties", nullptr},
    {"LXQt", "lxqt-config-input", nullptr},
};

} // namespace

bool openAccessibilitySettings()
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts);
    for (const SettingsPage& page : pages) {
        if (!desktops.contains(page.desktop, Qt::CaseInsensitive))
            continue;
        const QString program = QStandardPaths::findExecutable(page.program);
        if (program.isEmpty())
            continue;
        const QStringList arguments = page.argument ? QStringList{page.argument} : QStringList{};
        if (QProcess::startDetached(program, arguments))
            return true;
    }
    return false;
}

} // namespace Platform
