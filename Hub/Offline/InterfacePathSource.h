#pragma once

// The machine's network path read from its interfaces: a thread waits on a
// netlink route socket for link and address changes, or, where no such socket
// opens, looks at the interfaces every few seconds.

#include "Hub/Offline/NetworkPathSource.h"

#include <map>
#include <mutex>
#include <thread>

namespace Hub {

class InterfacePathSource final : public NetworkPathSource {
public:
    InterfacePathSource() = default;
    ~InterfacePathSource() override;
    InterfacePathSource(const InterfacePathSource&) = delete;
    InterfacePathSource& operator=(const InterfacePathSource&) = delete;

    std::uint64_t subscribe(Handler handler) override;
    void unsubscribe(std::uint64_t subscription) override;

    // Connected when a non-loopback interface is up, running and has an
    // IPv4 or IPv6 address.
    static NetworkPath currentPath();

private:
    void watch(int wake);
    void stopWatching(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_; // held while handlers run, so unsubscribing waits for them
    std::map<std::uint64_t, Handler> handlers_;
    std::uint64_t nextSubscription_ = 1;
    NetworkPath lastPath_;
    std::thread watcher_;
    int wake_ = -1; // an eventfd that ends the watcher
};

} // namespace Hub
