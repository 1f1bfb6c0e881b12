#include "App/Views/Settings/GeneralSettingsTab.h"

#include "App/AppIdentity.h"
#include "App/Models/SettingsKeys.h"
#include "App/State/AppState.h"
#include "App/Views/HotKeyRecorder/HotKeyRecorderView.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Desktop/AccessibilitySettings.h"
#include "Platform/Desktop/AutostartEntry.h"
#include "Platform/Input/SyntheticKeyboard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <system_error>

namespace QEL {

namespace {

QString title(InsertionMode mode)
{
    switch (mode) {
    case InsertionMode::paste: return "Clipboard Paste (Fast)";
    case InsertionMode::keystroke: return "Keystroke Simulation";
    }
    return {};
}

} // namespace

GeneralSettingsTab::GeneralSettingsTab(AppState& state, Platform::UserDefaults& defaults, QWidget* parent)
    : SettingsForm(parent), state_(state), defaults_(defaults)
{
    addDictationSection();
    addSystemSection();
    addAccessibilitySection();
    refresh();

    connect(&state_, &AppState::changed, this, &GeneralSettingsTab::refresh);
    connect(&state_, &AppState::insertionModeChanged, this, &GeneralSettingsTab::refresh);
    connect(&state_, &AppState::removeFillersChanged, this, &GeneralSettingsTab::refresh);
    connect(&state_, &AppState::enableCommandsChanged, this, &GeneralSettingsTab::refresh);
}

void GeneralSettingsTab::addDictationSection()
{
    QVBoxLayout* section = addSection("Dictation");
    insertionMethod_ = new QComboBox;
    for (InsertionMode mode : insertionModeNames.allCases())
        insertionMethod_->addItem(title(mode), static_cast<int>(mode));
    addRow(section, "Text Insertion Method", {insertionMethod_});
    connect(insertionMethod_, &QComboBox::currentIndexChanged, this,
            [this] { state_.setInsertionMode(static_cast<InsertionMode>(insertionMethod_->currentData().toInt())); });

    removeFillers_ = new QCheckBox("Remove filler words (um, uh, like)");
    section->addWidget(removeFillers_);
    connect(removeFillers_, &QCheckBox::toggled, this, [this](bool on) { state_.setRemoveFillers(on); });

    enableCommands_ = new QCheckBox("Enable voice commands");
    section->addWidget(enableCommands_);
    connect(enableCommands_, &QCheckBox::toggled, this, [this](bool on) { state_.setEnableCommands(on); });
}

void GeneralSettingsTab::addSystemSection()
{
    QVBoxLayout* section = addSection("System");
    launchAtLogin_ = new QCheckBox("Launch at login");
    section->addWidget(launchAtLogin_);
    connect(launchAtLogin_, &QCheckBox::toggled, this, &GeneralSettingsTab::changeLaunchAtLogin);
    launchAtLoginFailure_ = wrappingLabel({}, TextStyle::caption);
    setTextColor(launchAtLoginFailure_, Qt::red);
    launchAtLoginFailure_->hide();
    section->addWidget(launchAtLoginFailure_);

    addRow(section, "Hotkey", {new HotKeyRecorderView(state_.hotKeyManager())});
}

void GeneralSettingsTab::addAccessibilitySection()
{
    QVBoxLayout* section = addSection("Accessibility");
    auto* row = new QHBoxLayout;
    granted_ = symbolLabel(Symbol::checkmarkCircleFill, QColor(0x28, 0xa7, 0x45), font());
    required_ = symbolLabel(Symbol::xmarkCircleFill, Qt::red, font());
    accessibilityText_ = new QLabel;
    openSettings_ = new QPushButton("Open Settings");
    connect(openSettings_, &QPushButton::clicked, this, &GeneralSettingsTab::showAccessibilitySettings);
    row->addWidget(granted_);
    row->addWidget(required_);
    row->addWidget(accessibilityText_);
    row->addStretch();
    row->addWidget(openSettings_);
    section->addLayout(row);

    noSettingsNote_ = wrappingLabel("This desktop has no accessibility settings to open. On X11, typing into other "
                                    "applications needs no permission, only an X server that offers the XTEST "
                                    "extension.",
                                    TextStyle::caption, Emphasis::secondary);
    noSettingsNote_->hide();
    section->addWidget(noSettingsNote_);
}

void GeneralSettingsTab::refresh()
{
    {
        const QSignalBlocker blocker(insertionMethod_);
        insertionMethod_->setCurrentIndex(insertionMethod_->findData(static_cast<int>(state_.insertionMode())));
    }
    {
        const QSignalBlocker blocker(removeFillers_);
        removeFillers_->setChecked(state_.removeFillers());
    }
    {
        const QSignalBlocker blocker(enableCommands_);
        enableCommands_->setChecked(state_.enableCommands());
    }
    {
        const QSignalBlocker blocker(launchAtLogin_);
        launchAtLogin_->setChecked(storedValue(defaults_, SettingsKeys::launchAtLogin));
    }
    // Typing and pasting into other applications needs synthetic key presses.
    const bool trusted = Platform::SyntheticKeyboard::isAvailable();
    granted_->setVisible(trusted);
    required_->setVisible(!trusted);
    accessibilityText_->setText(trusted ? "Accessibility access granted" : "Accessibility access required");
    openSettings_->setVisible(!trusted);
    if (trusted)
        noSettingsNote_->hide();
}

void GeneralSettingsTab::changeLaunchAtLogin(bool launch)
{
    try {
        if (launch)
            Platform::installAutostartEntry(AppIdentity::autostartEntryFileName, AppIdentity::name,
                                            QCoreApplication::applicationFilePath().toStdString());
        else
            Platform::removeAutostartEntry(AppIdentity::autostartEntryFileName);
    } catch (const std::system_error& error) {
        // The toggle goes back to what still holds.
        const QSignalBlocker blocker(launchAtLogin_);
        launchAtLogin_->setChecked(!launch);
        launchAtLoginFailure_->setText(QString(launch ? "QEL cannot be set to launch at login: "
                                                      : "QEL cannot be kept from launching at login: ") +
                                       QString::fromStdString(error.what()));
        launchAtLoginFailure_->show();
        return;
    }
    defaults_.set(launch, SettingsKeys::launchAtLogin.key);
    launchAtLoginFailure_->hide();
}

void GeneralSettingsTab::showAccessibilitySettings()
{
    noSettingsNote_->setVisible(!Platform::openAccessibilitySettings());
}

} // namespace QEL
