#pragma once

#include "App/Views/Settings/SettingsForm.h"

class QLabel;
class QSlider;
class QSpinBox;

namespace Platform {
class UserDefaults;
}

namespace QEL {

class AppState;

// The voice-detection and streaming values, and a few live values of the
// dictation for finding faults.
class AdvancedSettingsTab : public SettingsForm {
public:
    AdvancedSettingsTab(AppState& state, Platform::UserDefaults& defaults, QWidget* parent = nullptr);

private:
    void addVoiceActivitySection();
    void addStreamingSection();
    void addDebugSection();
    // Shows the stored settings and the live values.
    void refresh();
    void showEnergyThreshold(double threshold);

    AppState& state_;
    Platform::UserDefaults& defaults_;
    QSpinBox* silenceThreshold_ = nullptr;
    QSlider* energyThreshold_ = nullptr;
    QLabel* energyThresholdValue_ = nullptr;
    QSpinBox* overlapWindow_ = nullptr;
    QLabel* modelLoaded_ = nullptr;
    QLabel* recording_ = nullptr;
    QLabel* audioLevel_ = nullptr;
};

} // namespace QEL
