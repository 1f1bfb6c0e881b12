#include "Platform/Time/DateFormatting.h"

#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

using Platform::Date;

TEST(DateFormatting, RelativeDatesCountTheLargestCalendarUnitInTheUsersLanguage)
{
    TestSupport::ScopedEnvironment zone("TZ", "UTC");
    const Date now{731764800}; // 2024-03-10 12:00 UTC
    constexpr double minute = 60, hour = 3600, day = 86400;
    const struct {
        double offset;
        const char* english;
        const char* german;
    } cases[] = {
        {-0.4, "0 sec. ago", "vor 0 Sek."},
        {-59.9, "59 sec. ago", "vor 59 Sek."},
        {-3 * minute, "3 min. ago", "vor 3 Min."},
        {-(2 * hour + 59 * minute), "2 hr. ago", "vor 2 Std."},
        {-(day - 1), "23 hr. ago", "vor 23 Std."},
        {-day, "1 day ago", "vor 1 Tag"},
        {-10 * day, "1 wk. ago", "vor 1 Woche"},
        {-28 * day, "4 wk. ago", "vor 4 Wochen"}, // February 11: not yet a month
        {-40 * day, "1 mo. ago", "vor 1 Monat"},
        {-400 * day, "1 yr. ago", "vor 1 Jahr"},
        {2 * hour, "in 2 hr.", "in 2 Std."},
    };
    for (const auto& test : cases) {
        const Date date{now.secondsSinceReferenceDate + test.offset};
        {
            TestSupport::ScopedEnvironment locale("LC_ALL", "en_US.UTF-8");
            EXPECT_EQ(Platform::formatRelativeDate(date, now), test.english) << test.offset;
        }
        TestSupport::ScopedEnvironment locale("LC_ALL", "de_DE.UTF-8");
        EXPECT_EQ(Platform::formatRelativeDate(date, now), test.german) << test.offset;
    }
}

TEST(DateFormatting, PatternsUseFixedEnglishNamesInTheSystemTimeZone)
{
    TestSupport::ScopedEnvironment locale("LC_ALL", "de_DE.UTF-8");
    const Date date{731764800}; // 2024-03-10 12:00 UTC, a Sunday
    {
        TestSupport::ScopedEnvironment zone("TZ", "UTC");
        EXPECT_EQ(Platform::formatDatePattern(date, "EEE, MMMM d yyyy 'at' HH:mm a"), "Sun, March 10 2024 at 12:00 PM");
        EXPECT_EQ(Platform::formatDatePattern(date, "'it''s' '%'"), "it's %");
    }
    TestSupport::ScopedEnvironment zone("TZ", "Asia/Tokyo");
    EXPECT_EQ(Platform::formatDatePattern(date, "HH"), "21");
}
