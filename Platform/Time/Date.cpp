#include "Platform/Time/Date.h"

#include <chrono>

namespace Platform {

namespace {

// 2001-01-01 00:00:00 UTC in seconds since 1970-01-01 00:00:00 UTC.
constexpr double referenceDateUnixSeconds = 978307200;

} // namespace

Date Date::now()
{
    const std::chrono::duration<double> sinceUnixEpoch = std::chrono::system_clock::now().time_since_epoch();
    return Date {sinceUnixEpoch.count() - referenceDateUnixSeconds};
}

double Date::unixMilliseconds() const
{
    return (secondsSinceReferenceDate + referenceDateUnixSeconds) * 1000;
}

} // namespace Platform
