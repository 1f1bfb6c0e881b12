#pragma once

#include "Platform/Time/Date.h"

#include <string>
#include <string_view>

namespace Platform {

// The date in the user's locale and time zone as they are set now, with a
// medium-length date and a short time ("Jan 5, 2024, 3:04 PM" in American
// English, "05.01.2024, 15:04" in German). The locale is the first of LC_ALL,
// LC_TIME and LANG that is set, as the C library picks the time format.
std::string formatMediumDateShortTime(Date date);

// How far `date` lies from `now`, in the same locale, abbreviated and counted
// in the largest calendar unit that is not zero: "3 min. ago", "1 wk. ago",
// "in 2 hr." in American English. Units are counted on the calendar in the
// user's time zone, so 40 days back from March 10 is "1 mo. ago".
std::string formatRelativeDate(Date date, Date now);

// The date in the system's time zone by a Unicode date pattern ("yyyy'-'MM'-'dd",
// letters are fields and quoted text is literal), in the fixed en_US_POSIX
// locale so that the text does not depend on the user's language. Empty when
// the pattern is not valid.
std::string formatDatePattern(Date date, std::string_view pattern);

} // namespace Platform
