#pragma once

#include <stdexcept>
#include <stop_token>

namespace RuntimeCore {

// Ends work whose caller asked it to stop; every stage raises this one error,
// so callers tell a stop from a failure by its type.
class CancellationError : public std::runtime_error {
public:
    CancellationError() : std::runtime_error("The operation was cancelled") {}
};

// Throws CancellationError once a stop has been requested through `stop`.
inline void checkCancellation(const std::stop_token& stop)
{
    if (stop.stop_requested())
        throw CancellationError();
}

} // namespace RuntimeCore
