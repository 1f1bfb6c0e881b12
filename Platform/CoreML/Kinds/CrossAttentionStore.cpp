#include "Platform/CoreML/Kinds/CrossAttentionStore.h"

#include <utility>

namespace Platform::CoreML {

std::shared_ptr<const CrossAttentionStore::Cache> CrossAttentionStore::find(const MLMultiArray& audio,
                                                                          const std::function<void(Cache&)>& compute)
{
    const auto entry = entryFor(audio.identifier(), audio.version());
    // Outside the lock: other arrays are served while this one is computed,
    // and callers of this one wait for the first.
    std::call_once(entry->computed, [&] { compute(entry->cache); });
    return {entry, &entry->cache};
}

std::shared_ptr<CrossAttentionStore::Entry> CrossAttentionStore::entryFor(std::uint64_t identifier,
                                                                          std::uint64_t version)
{
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if ((*it)->identifier != identifier || (*it)->version != version)
            continue;
        entries_.splice(entries_.begin(), entries_, it);
        return entries_.front();
    }
    // An older version of the array can never be asked for again.
    entries_.remove_if([&](const auto& entry) { return entry->identifier == identifier; });
    if (!entries_.empty() && entries_.size() >= capacity_)
        entries_.pop_back();
    auto entry = std::make_shared<Entry>(spare_);
    entry->identifier = identifier;
    entry->version = version;
    {
        std::lock_guard spareLock(spare_->mutex);
        entry->cache = std::exchange(spare_->cache, {});
    }
    entries_.push_front(entry);
    return entry;
}

CrossAttentionStore::Entry::~Entry()
{
    std::lock_guard lock(spare->mutex);
    if (spare->cache.keys.empty())
        spare->cache = std::move(cache);
}

} // namespace Platform::CoreML
