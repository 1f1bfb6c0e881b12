#pragma once

#include "Platform/Log/Log.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

namespace Platform {

// One open interval of a Signposter. Copies share the interval, so ending any
// copy ends them all.
class SignpostIntervalState {
public:
    std::uint64_t signpostID() const { return shared_->id; }
    // Marks the interval ended; tells whether it had been ended before.
    bool markEnded() { return shared_->ended.exchange(true); }
    bool isEnded() const { return shared_->ended.load(); }

private:
    friend class Signposter;
    struct Shared {
        std::uint64_t id;
        std::chrono::steady_clock::time_point start;
        std::atomic<bool> ended {false};
    };
    explicit SignpostIntervalState(std::uint64_t id)
        : shared_(std::make_shared<Shared>(id, std::chrono::steady_clock::now()))
    {
    }
    std::shared_ptr<Shared> shared_;
};

// Timed intervals for performance tracing. Without a system tracing service,
// every begin and end becomes a debug line of the log it was made with, and the
// end line carries the interval's duration.
class Signposter {
public:
    explicit Signposter(Logger logger) : logger_(std::move(logger)) { }

    // True when debug lines of the log are kept (the process's syslog mask).
    bool isEnabled() const;
    std::uint64_t makeSignpostID() const;

    // Both write their line only while enabled; the interval is timed either way.
    SignpostIntervalState beginInterval(std::string_view name, std::uint64_t id, std::string_view message = {}) const;
    // The state is not changed here (see SignpostIntervalState::markEnded).
    void endInterval(std::string_view name, const SignpostIntervalState& state, std::string_view message = {}) const;

private:
    Logger logger_;
};

} // namespace Platform
