#include "Hub/Offline/NetworkStateActor.h"

#include <cstdlib>
#include <string_view>

namespace Hub {

bool NetworkStateActor::isConnected() const
{
    std::lock_guard lock(mutex_);
    return path_.satisfied;
}

bool NetworkStateActor::isExpensive() const
{
    std::lock_guard lock(mutex_);
    return path_.expensive;
}

bool NetworkStateActor::isConstrained() const
{
    std::lock_guard lock(mutex_);
    return path_.constrained;
}

void NetworkStateActor::update(const NetworkPath& path)
{
    std::lock_guard lock(mutex_);
    path_ = path;
}

bool NetworkStateActor::shouldUseOfflineMode() const
{
    const char* disabled = std::getenv("CI_DISABLE_NETWORK_MONITOR");
    if (disabled && std::string_view(disabled) == "1")
        return false;
    return !isConnected();
}

} // namespace Hub
