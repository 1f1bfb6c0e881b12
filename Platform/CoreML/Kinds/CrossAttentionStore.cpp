#include "Platform/CoreML/Kinds/CrossAttentionStore.h"

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
    auto entry = std::make_shared<Entry>();
    entry->identifier = identifier;
    entry->version = version;
    // An older version of the array can never be asked for again, nor can
    // the one used longest ago once the store is full. The memory of either
    // goes to the new entry when nobody reads it any more: fresh memory costs
    // a page fault per page on its first write, most of a window's
    // cross-attention time.
    const auto release = [&](std::shared_ptr<Entry>& old) {
        if (old.use_count() == 1 && entry->cache.keys.empty())
            entry->cache = std::move(old->cache);
        old.reset();
    };
    for (auto it = entries_.begin(); it != entries_.end();)
        if ((*it)->identifier == identifier) {
            release(*it);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    if (!entries_.empty() && entries_.size() >= capacity_) {
        release(entries_.back());
        entries_.pop_back();
    }
    entries_.push_front(entry);
    return entry;
}

} // namespace Platform::CoreML
