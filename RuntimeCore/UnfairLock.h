#pragma once

#include <mutex>
#include <utility>

namespace RuntimeCore {

// A non-recursive lock for short critical sections: a single copy or assignment.
// It promises no fairness or order to waiters. Shared by reference, never copied.
class UnfairLock {
public:
    UnfairLock() = default;
    UnfairLock(const UnfairLock&) = delete;
    UnfairLock& operator=(const UnfairLock&) = delete;

    // Runs `body` holding the lock and returns its result. An exception from the
    // body releases the lock and passes on unchanged. The body must not take the
    // same lock again.
    template <class Body>
    decltype(auto) withLock(Body&& body)
    {
        std::lock_guard guard(mutex_);
        return std::forward<Body>(body)();
    }

private:
    std::mutex mutex_;
};

} // namespace RuntimeCore
