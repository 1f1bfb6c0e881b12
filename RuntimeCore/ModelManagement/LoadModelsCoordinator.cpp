#include "RuntimeCore/ModelManagement/LoadModelsCoordinator.h"

#include "RuntimeCore/Cancellation.h"

#include <thread>

namespace RuntimeCore {

void LoadModelsCoordinator::run(Operation operation, std::stop_token stop)
{
    std::shared_ptr<Flight> flight;
    {
        std::lock_guard lock(mutex_);
        if (!inflightLoad_) {
            inflightLoad_ = std::make_shared<Flight>();
            // Detached: nobody waits to join it, and the operation holds what
            // it needs (the manager, and through it this coordinator).
            std::thread([this, flight = inflightLoad_, operation = std::move(operation)]() mutable {
                std::exception_ptr error;
                try {
                    operation();
                } catch (...) {
                    error = std::current_exception();
                }
                // Cleared before any waiter returns, so a call after this one
                // has finished starts afresh.
                {
                    std::lock_guard lock(mutex_);
                    inflightLoad_.reset();
                }
                {
                    std::lock_guard lock(flight->mutex);
                    flight->done = true;
                    flight->error = error;
                }
                flight->finished.notify_all();
                // Last, as it may hold the only reference to this coordinator.
                operation = nullptr;
            }).detach();
        }
        flight = inflightLoad_;
    }

    std::unique_lock lock(flight->mutex);
    if (!flight->finished.wait(lock, stop, [&] { return flight->done; }))
        throw CancellationError();
    if (flight->error)
        std::rethrow_exception(flight->error);
}

} // namespace RuntimeCore
