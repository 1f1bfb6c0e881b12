#include "RuntimeCore/EarlyStopActor.h"

namespace RuntimeCore {

void EarlyStopActor::set(bool shouldStop, const Platform::UUID& window)
{
    std::lock_guard lock(mutex_);
    shouldStop_[window] = shouldStop;
}

bool EarlyStopActor::get(const Platform::UUID& window) const
{
    std::lock_guard lock(mutex_);
    if (shouldStop_.empty())
        return false;
    auto entry = shouldStop_.find(window);
    return entry != shouldStop_.end() && entry->second;
}

bool EarlyStopActor::replace(bool shouldStop, const Platform::UUID& window)
{
    std::lock_guard lock(mutex_);
    auto entry = shouldStop_.find(window);
    if (entry == shouldStop_.end())
        return false;
    entry->second = shouldStop;
    return true;
}

std::size_t EarlyStopActor::count() const
{
    std::lock_guard lock(mutex_);
    return shouldStop_.size();
}

std::optional<bool> EarlyStopActor::remove(const Platform::UUID& window)
{
    std::lock_guard lock(mutex_);
    auto entry = shouldStop_.find(window);
    if (entry == shouldStop_.end())
        return std::nullopt;
    bool flag = entry->second;
    shouldStop_.erase(entry);
    return flag;
}

} // namespace RuntimeCore
