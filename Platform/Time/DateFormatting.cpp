#include "Platform/Time/DateFormatting.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/smpdtfmt.h>
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

std::string utf8(const icu::UnicodeString& text)
{
    std::string result;
    text.toUTF8String(result);
    return result;
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
    return utf8(text);
}

std::string formatRelativeDate(Date date, Date now)
{
    const icu::Locale locale = userTimeLocale();
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(icu::TimeZone::detectHostTimeZone(), locale, status));
    icu::RelativeDateTimeFormatter format(locale, nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status))
        return {};
    calendar->setTime(now.unixMilliseconds(), status);
    // Each difference moves the calendar on by that many units, so the next,
    // smaller unit counts only what remains.
    const struct {
        UCalendarDateFields field;
        URelativeDateTimeUnit unit;
    } units[] = {
        {UCAL_YEAR, UDAT_REL_UNIT_YEAR},         {UCAL_MONTH, UDAT_REL_UNIT_MONTH},
        {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK}, {UCAL_DATE, UDAT_REL_UNIT_DAY},
        {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR},  {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
        {UCAL_SECOND, UDAT_REL_UNIT_SECOND},
    };
    const bool past = date <= now;
    for (const auto& [field, unit] : units) {
        const std::int32_t count = calendar->fieldDifference(date.unixMilliseconds(), field, status);
        if (U_FAILURE(status))
            return {};
        if (count == 0 && unit != UDAT_REL_UNIT_SECOND)
            continue;
        // Less than a second before now reads "0 sec. ago"; a negative zero
        // keeps it in the past.
        icu::UnicodeString text;
        format.formatNumeric(count == 0 && past ? -0.0 : count, unit, text, status);
        return U_SUCCESS(status) ? utf8(text) : std::string();
    }
    return {};
}

std::string formatDatePattern(Date date, std::string_view pattern)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), pattern.size())),
                                 icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status))
        return {};
    format.adoptTimeZone(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString text;
    format.format(date.unixMilliseconds(), text);
    return utf8(text);
}

} // namespace Platform
