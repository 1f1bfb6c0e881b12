#include "App/AppIdentity.h"
#include "App/Audio/AudioDeviceManager.h"
#include "App/Main/AppDelegate.h"
#include "App/State/AppState.h"
#include "App/Views/MenuBar/MenuBarScene.h"
#include "App/Views/Settings/SettingsWindow.h"
#include "Platform/Desktop/X11Connection.h"
#include "Platform/EventLoop/TerminationSignals.h"

#include <QApplication>

#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
    // The hot key, typing and the tray all need an X display; without one Qt
    // would end the process with an abort and a message about its plugins.
    try {
        Platform::X11Connection::shared();
    } catch (const Platform::X11Unavailable& error) {
        std::cerr << "qel: " << error.what() << ". QEL needs an X11 desktop session (an X server, or XWayland)."
                  << std::endl;
        return 1;
    }
    // Qt draws on the same X display that the hot key and typing use.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // A display or sound server that goes away must not end the process by a
    // signal on a write to its socket.
    std::signal(SIGPIPE, SIG_IGN);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QEL::AppIdentity::name);
    QApplication::setQuitOnLastWindowClosed(false);
    Platform::quitOnTerminationSignals();

    QEL::MenuBarScene scene(QEL::AppState::shared(), QEL::AudioDeviceManager::shared());
    QObject::connect(&scene, &QEL::MenuBarScene::settingsRequested, [] { QEL::SettingsWindow::showShared(); });

    QEL::AppDelegate delegate(QEL::AppState::shared());
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&delegate] { delegate.applicationWillTerminate(); });
    delegate.applicationDidFinishLaunching();
    return application.exec();
}
