#pragma once

// Runs an action when a scope ends, also when it ends by an exception: the
// containers' in-place accessors commit a lent value this way.

#include <utility>

namespace InternalCollectionsUtilities {

template <class Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { action_(); }

private:
    Action action_;
};

} // namespace InternalCollectionsUtilities
