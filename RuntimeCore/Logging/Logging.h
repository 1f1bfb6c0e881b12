#pragma once

#include "Platform/Log/Log.h"
#include "Platform/Log/Signposter.h"
#include "RuntimeCore/Logging/LogLevel.h"
#include "RuntimeCore/Logging/TextualForm.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace RuntimeCore {

// The one logger of the speech engine and its runtime core. Messages that pass
// the level go to the installed callback, or to the system log when there is
// none. The level and the callback may be changed while other threads log.
class Logging {
public:
    using Callback = std::function<void(const std::string&)>;
    using LogType = Platform::Logger::Type;

    static Logging& shared();

    LogLevel logLevel() const { return logLevel_.load(std::memory_order_relaxed); }
    void setLogLevel(LogLevel level) { logLevel_.store(level, std::memory_order_relaxed); }

    // An empty callback means none: messages go to the system log.
    Callback loggingCallback() const;
    void setLoggingCallback(Callback callback);

    // Emits the items joined by `separator`, whatever the level. The terminator is
    // accepted for callers' symmetry and never appended.
    void log(const std::vector<std::string>& items, std::string_view separator, std::string_view terminator,
             LogType type);

    // Filtered by the shared level before anything is rendered; items are joined
    // by single blanks.
    template <class... Items>
    static void debug(const Items&... items)
    {
        emitIfAtLeast(LogLevel::debug, LogType::debug, items...);
    }
    template <class... Items>
    static void info(const Items&... items)
    {
        emitIfAtLeast(LogLevel::info, LogType::info, items...);
    }
    template <class... Items>
    static void error(const Items&... items)
    {
        emitIfAtLeast(LogLevel::error, LogType::error, items...);
    }

    // At the debug level: message + " - Memory usage: " + mebibytes + " MB".
    static void logCurrentMemoryUsage(std::string_view message);
    // Resident memory of this process in whole mebibytes; 0 when unknown.
    static std::uint64_t getMemoryUsage();
    // "%8.2f ms / %6.0f runs (%8.2f ms/run) %5.2f%%" of the time in milliseconds,
    // the runs, the time per run (0 without runs) and the share of the total.
    static std::string formatTimeWithPercentage(double time, double runs, double totalTime);

    static Platform::SignpostIntervalState beginSignpost(std::string_view intervalName,
                                                         const Platform::Signposter& signposter);
    // Ending an interval a second time is marked "[Error] Interval already ended".
    static void endSignpost(std::string_view intervalName, Platform::SignpostIntervalState& interval,
                            const Platform::Signposter& signposter);

private:
    Logging();

    template <class... Items>
    static void emitIfAtLeast(LogLevel threshold, LogType type, const Items&... items)
    {
        Logging& logging = shared();
        if (logging.logLevel() > threshold)
            return;
        logging.log({textualForm(items)...}, " ", "\n", type);
    }

    std::atomic<LogLevel> logLevel_ {LogLevel::none};
    mutable std::mutex callbackMutex_;
    std::shared_ptr<const Callback> loggingCallback_;
    Platform::Logger logger_;
};

// The same as the static members of Logging.
void logCurrentMemoryUsage(std::string_view message);
std::uint64_t getMemoryUsage();

} // namespace RuntimeCore
