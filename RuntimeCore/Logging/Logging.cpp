#include "RuntimeCore/Logging/Logging.h"

#include "Platform/Text/Format.h"

#include <fstream>
#include <unistd.h>

namespace RuntimeCore {

namespace {

// Linux programs carry no bundle identifier, so the runtime's own name is used.
constexpr const char* runtimeSubsystem = "com.tolvek.runtimecore";

} // namespace

Logging::Logging() : logger_(runtimeSubsystem, "RuntimeCore") { }

Logging& Logging::shared()
{
    static Logging instance;
    return instance;
}

Logging::Callback Logging::loggingCallback() const
{
    std::lock_guard lock(callbackMutex_);
    return loggingCallback_ ? *loggingCallback_ : Callback();
}

void Logging::setLoggingCallback(Callback callback)
{
    auto installed = callback ? std::make_shared<const Callback>(std::move(callback)) : nullptr;
    std::lock_guard lock(callbackMutex_);
    loggingCallback_ = std::move(installed);
}

void Logging::log(const std::vector<std::string>& items, std::string_view separator,
                  [[maybe_unused]] std::string_view terminator, LogType type)
{
    std::string message;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            message.append(separator);
        message.append(items[i]);
    }
    // The callback runs outside the lock, holding its own reference, so it may be
    // replaced meanwhile and may itself log.
    std::shared_ptr<const Callback> callback;
    {
        std::lock_guard lock(callbackMutex_);
        callback = loggingCallback_;
    }
    if (callback)
        (*callback)(message);
    else
        logger_.log(type, message);
}

void Logging::logCurrentMemoryUsage(std::string_view message)
{
    if (shared().logLevel() != LogLevel::debug)
        return;
    debug(std::string(message) + " - Memory usage: " + std::to_string(getMemoryUsage()) + " MB");
}

std::uint64_t Logging::getMemoryUsage()
{
    // The second field of statm is the resident set in pages.
    std::ifstream statm("/proc/self/statm");
    std::uint64_t totalPages = 0;
    std::uint64_t residentPages = 0;
    if (!(statm >> totalPages >> residentPages))
        return 0;
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0)
        return 0;
    return (residentPages * static_cast<std::uint64_t>(pageSize)) >> 20;
}

std::string Logging::formatTimeWithPercentage(double time, double runs, double totalTime)
{
    constexpr const char* format = "%8.2f ms / %6.0f runs (%8.2f ms/run) %5.2f%%";
    double milliseconds = time * 1000;
    double perRun = runs > 0 ? milliseconds / runs : 0;
    double percentage = milliseconds / totalTime * 100;
    return Platform::formatted(format, milliseconds, runs, perRun, percentage);
}

Platform::SignpostIntervalState Logging::beginSignpost(std::string_view intervalName,
                                                       const Platform::Signposter& signposter)
{
    return signposter.beginInterval(intervalName, signposter.makeSignpostID());
}

void Logging::endSignpost(std::string_view intervalName, Platform::SignpostIntervalState& interval,
                          const Platform::Signposter& signposter)
{
    // While tracing is off the interval stays open, so a later end still counts.
    if (!signposter.isEnabled())
        return;
    bool endedBefore = interval.markEnded();
    signposter.endInterval(intervalName, interval, endedBefore ? "[Error] Interval already ended" : "");
}

void logCurrentMemoryUsage(std::string_view message)
{
    Logging::logCurrentMemoryUsage(message);
}

std::uint64_t getMemoryUsage()
{
    return Logging::getMemoryUsage();
}

} // namespace RuntimeCore
