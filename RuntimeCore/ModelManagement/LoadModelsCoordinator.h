#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

namespace RuntimeCore {

// Lets one operation run at a time: a caller that finds one in flight waits
// for it and shares its outcome instead of starting another. The operation runs
// on a worker thread of its own, so a caller that stops waiting leaves it
// running to its end.
class LoadModelsCoordinator {
public:
    using Operation = std::function<void()>;

    LoadModelsCoordinator() = default;
    LoadModelsCoordinator(const LoadModelsCoordinator&) = delete;
    LoadModelsCoordinator& operator=(const LoadModelsCoordinator&) = delete;

    // Starts `operation` unless one is in flight, then waits for the one in
    // flight and returns, or throws its error. A stop request through `stop`
    // ends the wait with CancellationError. The operation must keep alive what
    // it uses, this coordinator included.
    void run(Operation operation, std::stop_token stop = {});

private:
    struct Flight {
        std::mutex mutex;
        std::condition_variable_any finished;
        bool done = false;
        std::exception_ptr error;
    };

    std::mutex mutex_;
    std::shared_ptr<Flight> inflightLoad_;
};

} // namespace RuntimeCore
