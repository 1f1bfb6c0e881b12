#include "Hub/Offline/NetworkMonitor.h"

namespace Hub {

NetworkMonitor::NetworkMonitor(std::shared_ptr<NetworkPathSource> source)
    : source_(std::move(source)), state_(std::make_shared<NetworkStateActor>())
{
    startMonitoring();
}

NetworkMonitor::~NetworkMonitor()
{
    if (subscription_)
        source_->unsubscribe(*subscription_);
}

NetworkMonitor& NetworkMonitor::shared()
{
    // Never destroyed: clients may still ask it while the process exits.
    static NetworkMonitor* const monitor = new NetworkMonitor();
    return *monitor;
}

void NetworkMonitor::startMonitoring()
{
    std::lock_guard lock(mutex_);
    if (subscription_)
        return;
    subscription_ = source_->subscribe([state = std::weak_ptr(state_)](const NetworkPath& path) {
        if (const auto alive = state.lock())
            alive->update(path);
    });
}

} // namespace Hub
