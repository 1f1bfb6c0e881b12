#include "App/AppIdentity.h"
#include "App/Main/AppDelegate.h"
#include "App/State/AppState.h"
#include "Platform/Desktop/X11Connection.h"
#include "Platform/Process/TerminationSignals.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <csignal>
#include <iostream>

namespace {

// A round microphone-like mark for the tray.
QIcon trayIcon()
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.drawEllipse(QRectF(2, 2, 18, 18));
    painter.setBrush(QColor(60, 60, 60));
    painter.drawRoundedRect(QRectF(8.5, 5.5, 5, 8), 2.5, 2.5);
    painter.drawLine(QPointF(11, 14), QPointF(11, 17));
    return QIcon(pixmap);
}

} // namespace

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

    QSystemTrayIcon tray(trayIcon());
    QMenu menu;
    QObject::connect(menu.addAction("Quit"), &QAction::triggered, &application, &QApplication::quit);
    tray.setContextMenu(&menu);
    tray.setToolTip(QEL::AppIdentity::name);
    tray.show();

    QEL::AppDelegate delegate(QEL::AppState::shared());
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&delegate] { delegate.applicationWillTerminate(); });
    delegate.applicationDidFinishLaunching();
    return application.exec();
}
