#pragma once

#include <compare>

namespace Platform {

// A moment in time as seconds (with fraction) since 2001-01-01 00:00:00 UTC,
// the form in which the application's records store their dates. Holding the
// stored number itself keeps a record's date exact through any number of
// saves and loads.
struct Date {
    double secondsSinceReferenceDate = 0;

    static Date now();

    // Milliseconds since 1970-01-01 00:00:00 UTC.
    double unixMilliseconds() const;

    auto operator<=>(const Date&) const = default;
};

} // namespace Platform
