#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

namespace Platform {

// Hands work to the main thread, the thread of the QCoreApplication, where the
// user interface and the application state live. `call` runs there later, from
// the event loop, even when queued from the main thread itself. Calls queued
// from one thread run in the order they were queued, whichever overload queued
// them. Callable from any thread while the application object exists; without
// one the call is dropped, since nothing would ever run it.
void runOnMainThread(std::function<void()> call);

// Runs `call` on the main thread and waits until it has returned; on the main
// thread itself it runs at once. Returns false, and `call` never runs, when no
// application object exists or goes away before running it, or when the main
// thread has not come to it within `timeLimit` (it is busy, or its event loop
// has ended). What `call` throws is thrown here.
bool runOnMainThreadAndWait(const std::function<void()>& call, std::chrono::milliseconds timeLimit);

// As above, but dropped when `receiver` is destroyed before the call runs.
// `receiver` must be alive when this is called.
void runOnMainThread(QObject* receiver, std::function<void()> call);

// As above for an object held by shared pointers: `call` receives the object,
// and is dropped once the last owner has let it go.
template <class Receiver, class Call>
void runOnMainThread(std::weak_ptr<Receiver> receiver, Call call)
{
    runOnMainThread([receiver = std::move(receiver), call = std::move(call)]() mutable {
        if (std::shared_ptr<Receiver> alive = receiver.lock())
            call(*alive);
    });
}

} // namespace Platform
