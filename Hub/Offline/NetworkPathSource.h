#pragma once

// Where the network monitor learns about the machine's network path: an
// interface, so that tests hand the monitor paths of their own.

#include <cstdint>
#include <functional>
#include <memory>

namespace Hub {

struct NetworkPath {
    // A non-loopback interface is up and has an address.
    bool satisfied = true;
    // Linux reports neither flag; they stay false there.
    bool expensive = false;
    bool constrained = false;

    bool operator==(const NetworkPath&) const = default;
};

class NetworkPathSource {
public:
    using Handler = std::function<void(const NetworkPath&)>;

    virtual ~NetworkPathSource() = default;

    // Hands `handler` the current path before returning, then every change,
    // from a thread of the source's own, until unsubscribe() with the returned
    // number returns.
    virtual std::uint64_t subscribe(Handler handler) = 0;
    virtual void unsubscribe(std::uint64_t subscription) = 0;

    // The machine's interfaces, one source for the whole process: every monitor
    // shares its one watching thread, which runs while anyone subscribes.
    static std::shared_ptr<NetworkPathSource> system();
};

} // namespace Hub
