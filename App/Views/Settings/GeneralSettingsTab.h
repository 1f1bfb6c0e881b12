#pragma once

#include "App/Views/Settings/SettingsForm.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace Platform {
class UserDefaults;
}

namespace QEL {

class AppState;

// The settings of dictation (how text is inserted, filler removal, voice
// commands), of the system (starting at login, the hot key) and whether text
// can be typed into other applications.
class GeneralSettingsTab : public SettingsForm {
public:
    GeneralSettingsTab(AppState& state, Platform::UserDefaults& defaults, QWidget* parent = nullptr);

private:
    void addDictationSection();
    void addSystemSection();
    void addAccessibilitySection();
    // Shows the stored settings and asks again whether typing is possible.
    void refresh();
    void changeLaunchAtLogin(bool launch);
    void showAccessibilitySettings();

    AppState& state_;
    Platform::UserDefaults& defaults_;
    QComboBox* insertionMethod_ = nullptr;
    QCheckBox* removeFillers_ = nullptr;
    QCheckBox* enableCommands_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    QLabel* launchAtLoginFailure_ = nullptr;
    QLabel* granted_ = nullptr;
    QLabel* required_ = nullptr;
    QLabel* accessibilityText_ = nullptr;
    QPushButton* openSettings_ = nullptr;
    QLabel* noSettingsNote_ = nullptr;
};

} // namespace QEL
