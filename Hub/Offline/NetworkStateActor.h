#pragma once

// The latest facts about the network path, and whether the hub client should
// therefore work from its cache alone.

#include "Hub/Offline/NetworkPathSource.h"

#include <mutex>

namespace Hub {

class NetworkStateActor {
public:
    bool isConnected() const;
    bool isExpensive() const;
    bool isConstrained() const;

    void update(const NetworkPath& path);

    // False (work online) when CI_DISABLE_NETWORK_MONITOR is exactly "1", read
    // anew on every call; otherwise whether the path is down. Until the first
    // path arrives the machine counts as connected.
    bool shouldUseOfflineMode() const;

private:
    mutable std::mutex mutex_;
    NetworkPath path_;
};

} // namespace Hub
