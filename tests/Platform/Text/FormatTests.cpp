#include "Platform/Text/Format.h"

#include "Support/Shell.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace {

// A locale that writes a decimal comma, as a German desktop session gives the
// application: one installed on the system, else one compiled from the
// system's locale sources into `folder`. Null when neither can be had.
locale_t decimalCommaLocale(const TestSupport::TemporaryFolder& folder)
{
    if (locale_t installed = newlocale(LC_ALL_MASK, "de_DE.UTF-8", locale_t{}))
        return installed;
    if (!std::filesystem::exists("/usr/share/i18n/locales/de_DE"))
        return locale_t{};
    try {
        TestSupport::runShellCommand("localedef -i de_DE -f UTF-8 " +
                                     TestSupport::shellQuoted((folder / "de_DE.UTF-8").string()) + " 2>&1");
    } catch (const std::runtime_error&) {
        return locale_t{};
    }
    // Loaded through the process locale, whose lookup frees the LOCPATH search
    // list it builds (newlocale's keeps it), then copied for this thread alone.
    TestSupport::ScopedEnvironment localePath("LOCPATH", folder.path().string());
    if (!setlocale(LC_ALL, "de_DE.UTF-8"))
        return locale_t{};
    locale_t comma = duplocale(LC_GLOBAL_LOCALE);
    setlocale(LC_ALL, "C");
    return comma;
}

} // namespace

TEST(Formatted, WritesADecimalPointWhateverTheLocale)
{
    TestSupport::TemporaryFolder folder;
    const locale_t comma = decimalCommaLocale(folder);
    if (comma == locale_t{})
        GTEST_SKIP() << "no locale with a decimal comma can be made here";
    const locale_t previous = uselocale(comma);

    char plain[16];
    std::snprintf(plain, sizeof plain, "%.3f", 0.05);
    EXPECT_STREQ(plain, "0,050") << "the locale must write a decimal comma for this test to mean anything";

    EXPECT_EQ(Platform::formatted("%.3f", 0.05), "0.050");
    EXPECT_EQ(Platform::formatted("%.4f", 0.0123), "0.0123");
    EXPECT_EQ(Platform::formatted("[Segment %zu] [%.2f --> %.2f] ", std::size_t{0}, 2.4, 3.0),
              "[Segment 0] [2.40 --> 3.00] ");
    EXPECT_EQ(Platform::formatted("%8.2f ms", 12345.678), "12345.68 ms");

    // The thread's own locale is back afterwards.
    std::snprintf(plain, sizeof plain, "%.1f", 1.5);
    EXPECT_STREQ(plain, "1,5");

    uselocale(previous);
    freelocale(comma);
}
