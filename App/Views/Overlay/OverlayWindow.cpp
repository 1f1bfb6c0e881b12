#include "App/Views/Overlay/OverlayWindow.h"

#include "App/Views/Common/Easing.h"
#include "App/Views/Overlay/FloatingPillView.h"
#include "Platform/Desktop/WindowManagerHints.h"

#include <QGuiApplication>
#include <QScreen>

namespace QEL {

OverlayWindow::OverlayWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      frame_(this, "geometry")
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QGuiApplication::applicationDisplayName());
    resize(FloatingPillView::idleSize);
    if (const auto frame = placement(size()))
        setGeometry(*frame);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        Platform::keepOnAllDesktopsOutOfWindowLists(winId());

    frame_.setDuration(250);
    frame_.setEasingCurve(easeInEaseOut());
}

std::optional<QRect> OverlayWindow::placement(QSize size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    const QRect visible = screen->availableGeometry();
    const int left = visible.x() + (visible.width() - size.width()) / 2;
    const int bottom = visible.y() + visible.height() - bottomGap;
    return QRect(QPoint(left, bottom - size.height()), size);
}

void OverlayWindow::animateToSize(QSize size)
{
    const auto target = placement(size);
    if (!target)
        return;
    frame_.stop();
    if (!isVisible()) {
        setGeometry(*target);
        return;
    }
    frame_.setStartValue(geometry());
    frame_.setEndValue(*target);
    frame_.start();
}

void OverlayWindow::hideEvent(QHideEvent* event)
{
    // Nothing animates off screen.
    if (frame_.state() == QAbstractAnimation::Running) {
        frame_.stop();
        setGeometry(frame_.endValue().toRect());
    }
    QWidget::hideEvent(event);
}

} // namespace QEL
