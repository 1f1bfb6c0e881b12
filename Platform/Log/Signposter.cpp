#include "Platform/Log/Signposter.h"

#include "Platform/Text/Format.h"

#include <string>
#include <syslog.h>

namespace Platform {

namespace {

std::string signpostLine(std::string_view event, std::string_view name, std::uint64_t id, std::string_view detail,
                         std::string_view message)
{
    std::string line = "Signpost ";
    line.append(event).append(" ").append(name).append(" #").append(std::to_string(id)).append(detail);
    if (!message.empty())
        line.append(": ").append(message);
    return line;
}

} // namespace

bool Signposter::isEnabled() const
{
    // A mask of 0 reads the current mask without changing it.
    return (setlogmask(0) & LOG_MASK(LOG_DEBUG)) != 0;
}

std::uint64_t Signposter::makeSignpostID() const
{
    static std::atomic<std::uint64_t> next {1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

SignpostIntervalState Signposter::beginInterval(std::string_view name, std::uint64_t id, std::string_view message) const
{
    SignpostIntervalState state(id);
    if (isEnabled())
        logger_.debug(signpostLine("begin", name, id, {}, message));
    return state;
}

void Signposter::endInterval(std::string_view name, const SignpostIntervalState& state, std::string_view message) const
{
    if (!isEnabled())
        return;
    std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - state.shared_->start;
    logger_.debug(signpostLine("end", name, state.signpostID(), formatted(" after %.3f ms", elapsed.count()), message));
}

} // namespace Platform
