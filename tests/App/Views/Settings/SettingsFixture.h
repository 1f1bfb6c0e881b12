#pragma once

// A settings window's tabs over a state, settings file and history of the
// test's own, and ways to reach their controls as a user would: by the text
// or the accessible name they show.

#include "App/Models/TranscriptHistoryStore.h"
#include "App/State/AppState.h"
#include "Platform/UserDefaults/UserDefaults.h"

#include "Support/TestEnvironment.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

// A state over a settings file and history in a temporary folder, which is
// also the data and configuration home.
struct SettingsFolder {
    // What another reader of the settings file finds under `key`.
    template <class T>
    std::optional<T> storedValue(const std::string& key) const
    {
        Platform::UserDefaults reread(settingsFile());
        return reread.value<T>(key);
    }

    std::filesystem::path settingsFile() const { return folder / "QEL.json"; }

    TestSupport::TemporaryFolder folder;
    TestSupport::ScopedEnvironment dataHome{"XDG_DATA_HOME", folder.path().string()};
    TestSupport::ScopedEnvironment configHome{"XDG_CONFIG_HOME", folder.path().string()};
    Platform::UserDefaults defaults{settingsFile()};
    QEL::TranscriptHistoryStore history{folder / "Transcripts"};
    std::shared_ptr<QEL::AppState> state = QEL::AppState::create(defaults, history);
};

class SettingsTest : public testing::Test, protected SettingsFolder {};

// The widget of that type below `root` whose text or accessible name is `name`.
template <class Widget>
Widget* findNamed(const QWidget& root, const QString& name)
{
    for (Widget* widget : root.findChildren<Widget*>()) {
        if (widget->accessibleName() == name)
            return widget;
        if constexpr (requires { widget->text(); })
            if (widget->text() == name)
                return widget;
    }
    ADD_FAILURE() << "nothing named \"" << name.toStdString() << "\"";
    return nullptr;
}

// Whether `widget` would be seen when `root` is shown.
inline bool shows(const QWidget& root, const QWidget* widget)
{
    return widget && widget->isVisibleTo(&root);
}

// Whether a label with exactly this text would be seen when `root` is shown.
inline bool showsText(const QWidget& root, const QString& text)
{
    for (const QLabel* label : root.findChildren<QLabel*>())
        if (label->text() == text && label->isVisibleTo(&root))
            return true;
    return false;
}
