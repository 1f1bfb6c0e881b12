#include "Platform/EventLoop/MainThread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace Platform {

namespace {

// Calls wait in a queue of our own, and the main thread's event loop learns of
// them through an eventfd it watches. Qt's posted events would do the same, but
// they synchronise inside Qt, where the race detector cannot look, so a sound
// hand-over from another thread could read as a race in the thread tests. Here
// every hand-over goes through this mutex and the eventfd, both of which it
// follows.
class MainThreadQueue {
public:
    // Never destroyed: a worker may still queue a call while the process exits.
    static MainThreadQueue& shared()
    {
        static auto* queue = new MainThreadQueue;
        return *queue;
    }

    void push(std::function<void()> call)
    {
        {
            std::lock_guard lock(mutex_);
            if (!open_)
                return;
            calls_.push_back(std::move(call));
            if (wakePending_)
                return;
            wakePending_ = true;
        }
        wake();
    }

    // On the main thread, while the application object is being made.
    void open()
    {
        auto* notifier = new QSocketNotifier(eventFd_, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, [this] { runWaitingCalls(); });
        // Calls that never ran go with the application object.
        QObject::connect(notifier, &QObject::destroyed, [this] {
            std::deque<std::function<void()>> dropped;
            std::lock_guard lock(mutex_);
            open_ = false;
            wakePending_ = false;
            dropped.swap(calls_);
        });
        std::lock_guard lock(mutex_);
        open_ = true;
    }

private:
    MainThreadQueue() : eventFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
        if (eventFd_ < 0)
            throw std::system_error(errno, std::generic_category(), "Cannot create the main thread's wake-up");
    }

    // Never blocks; it fails only when the counter is full, which means a
    // wake-up is pending anyway.
    void wake()
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(eventFd_, &one, sizeof one);
    }

    // Runs the calls that were waiting when the event loop noticed them, one at
    // a time from the front. Before each runs, the rest are announced again: a
    // call that turns the event loop itself (a modal dialog, a wait) runs them
    // there in their order, and calls queued meanwhile wait for a later turn,
    // so a busy worker cannot hold the loop.
    void runWaitingCalls()
    {
        std::uint64_t wakeUps = 0; // reading resets the count; finding none is fine
        [[maybe_unused]] const ssize_t read = ::read(eventFd_, &wakeUps, sizeof wakeUps);
        std::size_t waiting = 0;
        {
            std::lock_guard lock(mutex_);
            waiting = calls_.size();
        }
        for (; waiting > 0; --waiting) {
            std::function<void()> call;
            {
                std::lock_guard lock(mutex_);
                if (calls_.empty())
                    return; // a nested turn of the loop ran them
                call = std::move(calls_.front());
                calls_.pop_front();
                if (calls_.empty())
                    wakePending_ = false;
                else
                    wake();
            }
            call();
        }
    }

    const int eventFd_;
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
    bool open_ = false;
    bool wakePending_ = false;
};

void openMainThreadQueue()
{
    MainThreadQueue::shared().open();
}

} // namespace

// Runs in the constructor of every application object, on the main thread.
Q_COREAPP_STARTUP_FUNCTION(openMainThreadQueue)

void runOnMainThread(std::function<void()> call)
{
    MainThreadQueue::shared().push(std::move(call));
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
