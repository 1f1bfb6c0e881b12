#pragma once

#include "Platform/UUID.h"

#include <mutex>
#include <optional>
#include <unordered_map>

namespace RuntimeCore {

// One stop flag per decoding window in flight, shared between the decoding loop
// and whoever may ask it to stop. Every operation runs exclusively.
class EarlyStopActor {
public:
    // Inserts or replaces the window's flag.
    void set(bool shouldStop, const Platform::UUID& window);
    // The window's flag; false when it has none.
    bool get(const Platform::UUID& window) const;
    // Removes the window's entry and returns its flag, or none when it had none.
    std::optional<bool> remove(const Platform::UUID& window);

private:
    mutable std::mutex mutex_;
    std::unordered_map<Platform::UUID, bool> shouldStop_;
};

} // namespace RuntimeCore
