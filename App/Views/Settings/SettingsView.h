#pragma once

#include <QTabWidget>

namespace Platform {
class UserDefaults;
}

namespace QEL {

class AppState;

// The settings window's content: the General, Model, History, Vocabulary and
// Advanced tabs, starting on General. `defaults` holds the settings that only
// the window keeps; `state` the others.
class SettingsView : public QTabWidget {
public:
    SettingsView(AppState& state, Platform::UserDefaults& defaults, QWidget* parent = nullptr);

    static constexpr QSize fixedSize{600, 420};
};

} // namespace QEL
