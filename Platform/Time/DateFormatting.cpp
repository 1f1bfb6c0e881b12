#include "Platform/Time/DateFormatting.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace Platform {

namespace {

icu::Locale userTimeLocale()
{
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const std::string_view name(value);
        if (name == "C" || name == "POSIX" || name.starts_with("C."))
            return icu::Locale("en_US_POSIX");
        // "de_DE.UTF-8@euro" and the like: ICU drops the character set.
        return icu::Locale::createCanonical(value);
    }
    return icu::Locale::getDefault();
}

} // namespace

std::string formatMediumDateShortTime(Date date)
{
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort, userTimeLocale()));
    if (!format)
        return {};
    // Asked afresh each time: ICU's own default zone is fixed at first use.
    format->adoptTimeZone(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString text;
    format->format(date.unixMilliseconds(), text);
    std::string result;
    text.toUTF8String(result);
    return result;
}

} // namespace Platform
