#include "App/Views/Settings/SettingsWindow.h"

#include "App/State/AppState.h"
#include "App/Utils/StandardDefaults.h"
#include "App/Views/Settings/SettingsView.h"

#include <QPointer>
#include <QVBoxLayout>

namespace QEL {

namespace {

QPointer<SettingsWindow>& openWindow()
{
    static QPointer<SettingsWindow> window;
    return window;
}

} // namespace

SettingsWindow* SettingsWindow::showShared()
{
    return showFor(AppState::shared(), standardUserDefaults());
}

SettingsWindow* SettingsWindow::showFor(AppState& state, Platform::UserDefaults& defaults)
{
    QPointer<SettingsWindow>& window = openWindow();
    if (!window)
        window = new SettingsWindow(state, defaults);
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

SettingsWindow::SettingsWindow(AppState& state, Platform::UserDefaults& defaults)
    : view_(new SettingsView(state, defaults))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("QEL Settings");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace QEL
