#pragma once

// The application's presence on the desktop: an icon in the tray (the
// StatusNotifierItem host where the desktop has one, an XEmbed tray
// otherwise) whose menu shows the application state and the microphones and
// acts on them. Any change of either rebuilds what changed in the menu and
// the icon. The icon is a child of the application object, where the hot-key
// library finds the application's own menu (KeyCombo::mainMenuKeyCombos()).

#include "App/Views/MenuBar/MenuBarMenu.h"

#include <QObject>
#include <QSystemTrayIcon>

namespace QEL {

class AppState;
class AudioDeviceManager;

class MenuBarScene : public QObject {
    Q_OBJECT

public:
    // Shows the icon. The devices' change callback is the scene's from now on.
    MenuBarScene(AppState& state, AudioDeviceManager& devices);
    ~MenuBarScene() override;

    QSystemTrayIcon& trayIcon() { return trayIcon_; }
    MenuBarMenu& menu() { return menu_; }

signals:
    // "Settings..." was chosen.
    void settingsRequested();

private:
    void refresh();

    AppState& state_;
    AudioDeviceManager& devices_;
    MenuBarMenu menu_;
    QSystemTrayIcon trayIcon_;
};

} // namespace QEL
