#include "Platform/Concurrency/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace Platform {

void runOnMainThread(std::function<void()> call)
{
    // Posted events for one receiver are delivered in the order they were
    // posted, and the application object lives on the main thread.
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, std::move(call), Qt::QueuedConnection);
}

bool runOnMainThreadAndWait(const std::function<void()>& call, std::chrono::milliseconds timeLimit)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    if (QThread::currentThread() == application->thread()) {
        call();
        return true;
    }

    // Shared by the waiting thread and the queued call, which may outlive the
    // wait when the main thread comes to it too late.
    struct Handover {
        enum State { queued, running, finished, dropped, abandoned };
        std::mutex mutex;
        std::condition_variable changed;
        State state = queued;
        std::exception_ptr failure;

        void settle(State to)
        {
            std::lock_guard lock(mutex);
            state = to;
            changed.notify_all();
        }
    };
    // Marks the hand-over dropped when the queued call is destroyed unrun.
    struct DropNotice {
        std::shared_ptr<Handover> handover;
        ~DropNotice()
        {
            std::lock_guard lock(handover->mutex);
            if (handover->state == Handover::queued) {
                handover->state = Handover::dropped;
                handover->changed.notify_all();
            }
        }
    };
    auto handover = std::make_shared<Handover>();
    runOnMainThread([notice = std::make_shared<DropNotice>(handover), &call] {
        Handover& shared = *notice->handover;
        {
            std::lock_guard lock(shared.mutex);
            if (shared.state != Handover::queued)
                return; // the caller has given up and `call` may be gone
            shared.state = Handover::running;
        }
        try {
            call();
        } catch (...) {
            shared.failure = std::current_exception();
        }
        shared.settle(Handover::finished);
    });

    std::unique_lock lock(handover->mutex);
    if (!handover->changed.wait_for(lock, timeLimit, [&] { return handover->state != Handover::queued; }))
        handover->state = Handover::abandoned;
    handover->changed.wait(lock, [&] { return handover->state != Handover::running; });
    if (handover->failure)
        std::rethrow_exception(handover->failure);
    return handover->state == Handover::finished;
}

void runOnMainThread(QObject* receiver, std::function<void()> call)
{
    runOnMainThread([receiver = QPointer<QObject>(receiver), call = std::move(call)] {
        if (receiver)
            call();
    });
}

} // namespace Platform
