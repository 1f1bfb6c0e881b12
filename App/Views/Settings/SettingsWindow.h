#pragma once

#include <QWidget>

namespace Platform {
class UserDefaults;
}

namespace QEL {

class AppState;
class SettingsView;

// The one settings window. Opening it while it is open brings it to the
// front; closing it deletes it, so that the next opening starts afresh on the
// General tab with the stored settings. Main thread only.
class SettingsWindow : public QWidget {
public:
    // Over the application's state and settings.
    static SettingsWindow* showShared();
    // Over a state and settings of the caller's; while a window is open, that
    // window comes to the front whatever it shows.
    static SettingsWindow* showFor(AppState& state, Platform::UserDefaults& defaults);

    SettingsView& view() const { return *view_; }

private:
    SettingsWindow(AppState& state, Platform::UserDefaults& defaults);

    SettingsView* view_;
};

} // namespace QEL
