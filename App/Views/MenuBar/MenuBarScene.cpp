#include "App/Views/MenuBar/MenuBarScene.h"

#include "App/AppIdentity.h"
#include "App/Audio/AudioDeviceManager.h"
#include "App/State/AppState.h"
#include "App/Views/Style/Symbols.h"

#include <QCoreApplication>
#include <QCursor>

#include <algorithm>

namespace QEL {

namespace {

// The icon's disc tells the state at a glance: grey while idle, red while
// recording.
const QColor idleColour(0x5f, 0x63, 0x68);
const QColor recordingColour(0xe5, 0x39, 0x35);

} // namespace

MenuBarScene::MenuBarScene(AppState& state, AudioDeviceManager& devices)
    : state_(state), devices_(devices), trayIcon_(QCoreApplication::instance())
{
    connect(&state_, &AppState::changed, this, &MenuBarScene::refresh);
    devices_.setOnChange([this] { refresh(); });

    connect(&menu_, &MenuBarMenu::toggleRecordingRequested, &state_, &AppState::toggleRecording);
    connect(&menu_, &MenuBarMenu::deviceChosen, this, [this](std::uint32_t id) {
        const auto& available = devices_.availableDevices();
        const auto device = std::find_if(available.begin(), available.end(),
                                         [id](const AudioDeviceManager::AudioInputDevice& d) { return d.id == id; });
        if (device != available.end())
            devices_.selectDevice(*device);
    });
    connect(&menu_, &MenuBarMenu::settingsRequested, this, &MenuBarScene::settingsRequested);
    connect(&menu_, &MenuBarMenu::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    trayIcon_.setContextMenu(&menu_);
    trayIcon_.setToolTip(AppIdentity::name);
    // A click on the icon opens the menu, as a right click does.
    connect(&trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            menu_.popup(QCursor::pos());
    });
    refresh();
    trayIcon_.show();
}

MenuBarScene::~MenuBarScene()
{
    devices_.setOnChange({});
}

void MenuBarScene::refresh()
{
    const MenuBarContent content = menuBarContent(state_, devices_);
    if (content.isRecording != menu_.content().isRecording || trayIcon_.icon().isNull())
        trayIcon_.setIcon(content.isRecording ? symbolIcon(Symbol::waveformCircleFill, recordingColour)
                                              : symbolIcon(Symbol::waveformCircle, idleColour));
    menu_.setContent(content);
}

} // namespace QEL
