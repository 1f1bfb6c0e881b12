#include "Jinja/Builtins/Filters.h"
#include "tests/Jinja/RenderTesting.h"

#include <gtest/gtest.h>

using Jinja::Value;
using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;

TEST(NumberFilters, AbsClearsTheSignAndRefusesWhatItCannotNegate)
{
    const RenderCase cases[] = {
        {"{{ -3 | abs }}|{{ -2.5 | abs }}|{{ -0.0 | abs }}|{{ 4 | abs(1) }}", "3|2.5|0.0|4"},
        {"{{ 'a' | abs }}", "error: Runtime error: abs filter requires number or integer"},
        {"{{ -3 | abs(x=1) }}", "error: Runtime error: Unexpected keyword argument 'x' for filter."},
        {"{{ (-9223372036854775807 - 1) | abs }}", "error: Runtime error: Integer overflow (-9223372036854775808)"},
    };
    expectRenders(cases);
}

TEST(NumberFilters, FloatReadsNumbersAndWholeTextsElseGivesTheDefault)
{
    const RenderCase cases[] = {
        {"{{ 3 | float }}|{{ 2.5 | float }}|{{ 'inf' | float }}|{{ '-0x1p4' | float }}|{{ 'NaN' | float }}",
         "3.0|2.5|inf|-16.0|nan"},
        {"{{ '1x' | float }}|{{ '' | float }}|{{ '\t1' | float }}|{{ true | float }}|{{ none | float }}",
         "0.0|0.0|0.0|0.0|0.0"},
        // The default is given back as it is, not converted.
        {"{{ 'x' | float('no') }}|{{ [1] | float(default=7) }}", "no|7"},
    };
    expectRenders(cases);
}

TEST(NumberFilters, IntTruncatesNumbersAndParsesTextsInTheirBase)
{
    const RenderCase cases[] = {
        {"{{ 3.99 | int }}|{{ -3.99 | int }}|{{ 42 | int(base=16) }}|{{ none | int }}|{{ [] | int(5) }}",
         "3|-3|42|0|5"},
        {"{{ ' 0x1F\n' | int }}|{{ '0b101' | int }}|{{ '0O17' | int }}|{{ '42' | int(base=16) }}|{{ 'fF' | "
         "int(base=16) }}",
         "31|5|15|66|255"},
        {"{{ '4_2' | int }}|{{ '' | int }}|{{ '0x' | int(9) }}|{{ '1e3' | int }}|{{ '+7' | int }}|{{ '--7' | int }}",
         "0|0|9|0|7|0"},
        {"{{ '-9223372036854775808' | int }}|{{ '9223372036854775808' | int(-1) }}|{{ 'z' | int(base=36) }}",
         "-9223372036854775808|-1|35"},
        // A double without a 64-bit integer has none to truncate to.
        {"{{ 'nan' | float | int }}|{{ 'inf' | float | int(1) }}|{{ '1e19' | float | int(2) }}|{{ '-1e19' | float | "
         "int(3) }}",
         "0|1|2|3"},
    };
    expectRenders(cases);
}

TEST(NumberFilters, RoundScalesByPowersOfTenAndKeepsOtherKinds)
{
    const RenderCase cases[] = {
        {"{{ 3.14159 | round(2) }}|{{ 2.1 | round(method='ceil') }}|{{ 2.9 | round(0, 'floor') }}", "3.14|3.0|2.0"},
        {"{{ 2.567 | round(1, 'other') }}|{{ 2.567 | round('1') }}|{{ 'a' | round }}|{{ none | round(2) }}",
         "2.567|3.0|a|"},
    };
    expectRenders(cases);
}

TEST(NumberFilters, WithoutAPipedValueTheyGiveTheirEmptyResultWhateverTheKeywords)
{
    Jinja::KeywordArguments keywords;
    keywords.updateValue(Value(1), "foo");
    EXPECT_EQ(Jinja::Filters::abs({}, keywords, nullptr), Value(0));
    EXPECT_EQ(Jinja::Filters::toFloat({}, keywords, nullptr), Value(0.0));
    EXPECT_EQ(Jinja::Filters::toInt({}, keywords, nullptr), Value(0));
    EXPECT_EQ(Jinja::Filters::round({}, keywords, nullptr), Value(0.0));
}
