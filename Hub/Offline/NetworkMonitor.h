#pragma once

// Keeps a network state up to date from a path source for as long as the
// monitor lives.

#include "Hub/Offline/NetworkPathSource.h"
#include "Hub/Offline/NetworkStateActor.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace Hub {

class NetworkMonitor {
public:
    // Starts monitoring at once.
    explicit NetworkMonitor(std::shared_ptr<NetworkPathSource> source = NetworkPathSource::system());
    ~NetworkMonitor();
    NetworkMonitor(const NetworkMonitor&) = delete;
    NetworkMonitor& operator=(const NetworkMonitor&) = delete;

    // The process's monitor, made on first use and kept until the process ends;
    // the offline decision reads its state.
    static NetworkMonitor& shared();

    NetworkStateActor& state() const { return *state_; }

    // Subscribes to the source unless already subscribed.
    void startMonitoring();

private:
    std::shared_ptr<NetworkPathSource> source_;
    std::shared_ptr<NetworkStateActor> state_;
    std::mutex mutex_;
    std::optional<std::uint64_t> subscription_;
};

} // namespace Hub
