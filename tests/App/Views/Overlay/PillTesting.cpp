#include "App/Views/Overlay/PillTesting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <thread>

namespace PillTesting {

std::optional<std::string> shownText(const QWidget& pill, const char* name)
{
    const QLabel* label = part<QLabel>(pill, name);
    if (!label || label->isHidden())
        return std::nullopt;
    return label->text().toStdString();
}

void showWithoutFocus(QWidget& widget)
{
    widget.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    widget.setAttribute(Qt::WA_ShowWithoutActivating);
    widget.show();
}

void clickAt(QWidget& widget, QPoint position)
{
    const QPointF local(position);
    const QPointF global(widget.mapToGlobal(position));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

namespace {

class TimerEventCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int timerEventsDuring(std::chrono::milliseconds duration)
{
    TimerEventCounter counter;
    qApp->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < duration.count()) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    qApp->removeEventFilter(&counter);
    return counter.count;
}

} // namespace PillTesting
