#pragma once

#include "Platform/Time/Date.h"

#include <string>

namespace Platform {

// The date in the user's locale and time zone as they are set now, with a
// medium-length date and a short time ("Jan 5, 2024, 3:04 PM" in American
// English, "05.01.2024, 15:04" in German). The locale is the first of LC_ALL,
// LC_TIME and LANG that is set, as the C library picks the time format.
std::string formatMediumDateShortTime(Date date);

} // namespace Platform
