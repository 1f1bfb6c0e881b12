#include "App/Views/Settings/AdvancedSettingsTab.h"

#include "App/Models/SettingsKeys.h"
#include "App/State/AppState.h"
#include "Platform/Text/Format.h"

#include <QFontDatabase>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace QEL {

namespace {

// The energy slider moves in steps of 0.005 from 0.005 to 0.1: positions 1 to
// 20 of a whole-number slider. Dividing (rather than multiplying by 0.005)
// gives the double nearest each decimal, so 3 is stored as exactly 0.015.
constexpr int energyStepsPerUnit = 200;
constexpr int energyPositions = 20;

// The slider position nearest a stored threshold (hand-edited files may hold
// any number).
int energyPosition(double threshold)
{
    if (std::isnan(threshold))
        return 1;
    return static_cast<int>(
        std::lround(std::clamp(threshold * energyStepsPerUnit, 1.0, static_cast<double>(energyPositions))));
}

QString yesOrNo(bool value)
{
    return value ? "Yes" : "No";
}

QLabel* valueLabel()
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Out-of-range stored values show at the nearest end of the stepper.
int clamped(std::int64_t value, const QSpinBox* stepper)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, stepper->minimum(), stepper->maximum()));
}

} // namespace

AdvancedSettingsTab::AdvancedSettingsTab(AppState& state, Platform::UserDefaults& defaults, QWidget* parent)
    : SettingsForm(parent), state_(state), defaults_(defaults)
{
    addVoiceActivitySection();
    addStreamingSection();
    addDebugSection();
    refresh();

    connect(&state_, &AppState::changed, this, &AdvancedSettingsTab::refresh);
    connect(&state_, &AppState::silenceThresholdMsChanged, this, &AdvancedSettingsTab::refresh);
}

void AdvancedSettingsTab::addVoiceActivitySection()
{
    QVBoxLayout* section = addSection("Voice Activity Detection");
    silenceThreshold_ = millisecondsStepper(200, 1500, 100);
    addRow(section, "Silence threshold", {silenceThreshold_});
    connect(silenceThreshold_, &QSpinBox::valueChanged, this,
            [this](int milliseconds) { state_.setSilenceThresholdMs(milliseconds); });

    energyThreshold_ = new QSlider(Qt::Horizontal);
    energyThreshold_->setRange(1, energyPositions);
    energyThreshold_->setPageStep(1);
    energyThreshold_->setFixedWidth(150);
    energyThresholdValue_ = valueLabel();
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    digits.setPointSizeF(font().pointSizeF());
    energyThresholdValue_->setFont(digits);
    energyThresholdValue_->setFixedWidth(50);
    addRow(section, "Energy threshold", {energyThreshold_, energyThresholdValue_});
    connect(energyThreshold_, &QSlider::valueChanged, this, [this](int position) {
        const double threshold = static_cast<double>(position) / energyStepsPerUnit;
        defaults_.set(threshold, SettingsKeys::vadEnergyThreshold.key);
        showEnergyThreshold(threshold);
    });
}

void AdvancedSettingsTab::addStreamingSection()
{
    QVBoxLayout* section = addSection("Streaming");
    overlapWindow_ = millisecondsStepper(500, 5000, 500);
    addRow(section, "Overlap window", {overlapWindow_});
    connect(overlapWindow_, &QSpinBox::valueChanged, this,
            [this](int milliseconds) { defaults_.set(std::int64_t{milliseconds}, SettingsKeys::overlapWindowMs.key); });
}

void AdvancedSettingsTab::addDebugSection()
{
    QVBoxLayout* section = addSection("Debug");
    modelLoaded_ = valueLabel();
    recording_ = valueLabel();
    audioLevel_ = valueLabel();
    addRow(section, "Model loaded", {modelLoaded_});
    addRow(section, "Recording", {recording_});
    addRow(section, "Audio level", {audioLevel_});
}

void AdvancedSettingsTab::refresh()
{
    {
        const QSignalBlocker blocker(silenceThreshold_);
        silenceThreshold_->setValue(clamped(state_.silenceThresholdMs(), silenceThreshold_));
    }
    {
        const double threshold = storedValue(defaults_, SettingsKeys::vadEnergyThreshold);
        const QSignalBlocker blocker(energyThreshold_);
        energyThreshold_->setValue(energyPosition(threshold));
        showEnergyThreshold(threshold);
    }
    {
        const QSignalBlocker blocker(overlapWindow_);
        overlapWindow_->setValue(clamped(storedValue(defaults_, SettingsKeys::overlapWindowMs), overlapWindow_));
    }
    modelLoaded_->setText(yesOrNo(state_.isModelLoaded()));
    recording_->setText(yesOrNo(state_.isRecording()));
    audioLevel_->setText(QString::fromStdString(Platform::formatted("%.4f", static_cast<double>(state_.audioLevel()))));
}

void AdvancedSettingsTab::showEnergyThreshold(double threshold)
{
    energyThresholdValue_->setText(QString::fromStdString(Platform::formatted("%.3f", threshold)));
}

} // namespace QEL
