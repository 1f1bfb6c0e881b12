#pragma once

#include "Platform/UUID.h"

#include <cstddef>
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
    // Replaces the window's flag only while it has one, so that a late stop
    // request for a window that has ended leaves no entry behind; tells
    // whether it had one.
    bool replace(bool shouldStop, const Platform::UUID& window);
    // Removes the window's entry and returns its flag, or none when it had none.
    std::optional<bool> remove(const Platform::UUID& window);
    // The windows that have a flag.
    std::size_t count() const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<Platform::UUID, bool> shouldStop_;
};

} // namespace RuntimeCore
