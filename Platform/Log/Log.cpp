#include "Platform/Log/Log.h"

#include <cstdio>
#include <syslog.h>

namespace Platform {

namespace {

int syslogPriority(Logger::Type type)
{
    switch (type) {
    case Logger::Type::debug: return LOG_DEBUG;
    case Logger::Type::info: return LOG_INFO;
    case Logger::Type::notice: return LOG_NOTICE;
    case Logger::Type::error: return LOG_ERR;
    case Logger::Type::fault: return LOG_CRIT;
    }
    return LOG_NOTICE;
}

} // namespace

Logger::Logger(std::string subsystem, std::string category)
    : subsystem_(std::move(subsystem)), category_(std::move(category))
{
}

void Logger::log(Type type, std::string_view message) const
{
    // The message is passed as an argument, never as the format, so a '%' in it is
    // stored as written.
    syslog(LOG_USER | syslogPriority(type), "[%s:%s] %.*s", subsystem_.c_str(), category_.c_str(),
           static_cast<int>(message.size()), message.data());
}

void printLine(std::string_view message)
{
    std::string line(message);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void printTagged(std::string_view tag, std::string_view message)
{
    printLine("[" + std::string(tag) + "] " + std::string(message));
}

} // namespace Platform
