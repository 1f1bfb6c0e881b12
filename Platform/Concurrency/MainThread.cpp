#include "Platform/Concurrency/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace Platform {

void runOnMainThread(std::function<void()> call)
{
    // Posted events for one receiver are delivered in the order they were
    // posted, and the application object lives on the main thread.
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, std::move(call), Qt::QueuedConnection);
}

void runOnMainThread(QObject* receiver, std::function<void()> call)
{
    runOnMainThread([receiver = QPointer<QObject>(receiver), call = std::move(call)] {
        if (receiver)
            call();
    });
}

} // namespace Platform
