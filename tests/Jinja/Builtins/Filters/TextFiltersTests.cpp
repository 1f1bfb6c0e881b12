#include "Jinja/Builtins/Filters.h"
#include "tests/Jinja/RenderTesting.h"

#include <gtest/gtest.h>

using Jinja::Value;
using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;

TEST(TextFilters, CaseFiltersMapWholeCharacters)
{
    const RenderCase cases[] = {
        {"{{ 'hELLO wORLD' | capitalize }}|{{ 'abc' | capitalize(1, 2, 3) }}|{{ 'ßA' | capitalize }}|{{ 5 | capitalize "
         "}}",
         "Hello world|Abc|SSa|"},
        {"{{ 'hello WORLD\tfoo' | title }}|{{ 5 | title(x=1) }}", "Hello World\tFoo|"},
    };
    expectRenders(cases);
}

TEST(TextFilters, CenterPadsByCharactersWithinTheSizeBound)
{
    const RenderCase cases[] = {
        {"[{{ 'ab' | center(2) }}]|[{{ 'e\u0301' | center(4) }}]|{{ 5 | center }}|[{{ 'ab' | center(-4) }}]",
         "[ab]|[ e\u0301  ]|5|[ab]"},
        {"{{ 'a' | center }}", "error: Runtime error: Missing required argument 'width' for filter."},
        {"{{ 'a' | center('5') }}", "error: Runtime error: center filter requires width parameter"},
        {"{{ 'a' | center(1000000000) }}", "error: Runtime error: Result too large"},
    };
    expectRenders(cases);
}

TEST(TextFilters, WordcountCountsRunsBetweenUnicodeWhiteSpace)
{
    const RenderCase cases[] = {
        {"{{ '  word\tother\n' | wordcount }}|{{ 'a\u2028b\u00A0c\u3000d' | wordcount }}|{{ '' | wordcount }}|{{ 5 | "
         "wordcount }}",
         "2|4|0|0"},
    };
    expectRenders(cases);
}

TEST(TextFilters, ReplaceScansOnceFromTheStart)
{
    const RenderCase cases[] = {
        {"{{ 'aaa' | replace('a', 'b', 2) }}|{{ 'aaa' | replace('a', 'b', 0) }}|{{ 'aaa' | replace('aa', 'b') }}",
         "bba|aaa|ba"},
        // Text put in by one replacement is not searched for the next.
        {"{{ 'ab' | replace('ab', 'aab', 2) }}|{{ 'aa' | replace('a', 'aa') }}", "aab|aaaa"},
        {"{{ 'abc' | replace('', '-') }}|{{ 'abc' | replace('', '-', 2) }}|{{ '' | replace('', '-') }}|{{ 'a' | "
         "replace('', '-', -1) }}",
         "-a-b-c-|-a-bc|-|a"},
        {"{{ 5 | replace }}|{{ 'cafe\u0301' | replace('\u00E9', 'e') }}", "5|cafe"},
        {"{{ 'a' | replace('a', 1) }}", "error: Runtime error: replace() requires 'old' and 'new' string arguments."},
        {"{{ 'a' | replace('a') }}", "error: Runtime error: Missing required argument 'new' for filter."},
    };
    expectRenders(cases);
}

TEST(TextFilters, TruncateCutsAtTheLastWhiteSpaceUnlessKillingWords)
{
    const RenderCase cases[] = {
        {"{{ ('a ' * 150) | truncate | length }}|{{ ('x' * 258) | truncate | length }}|{{ 5 | truncate }}", "256|258|"},
        {"{{ 'hello world foo' | truncate(8, end='~', leeway=0) }}|{{ 'helloworld' | truncate(3, leeway=-2) }}",
         "hello~|hel..."},
        {"{{ 'e\u0301e\u0301e\u0301 b' | truncate(2, true, '', 0) }}|{{ 'abcdefghij' | truncate(-3, leeway=0) }}",
         "e\u0301e\u0301|..."},
    };
    expectRenders(cases);
}

TEST(TextFilters, IndentIndentsLinesAfterTheFirstAndOnRequestTheFirstAndBlankOnes)
{
    const RenderCase cases[] = {
        {"{{ 'a\n\nb' | indent }}", "a\n\n    b"},
        {"{{ 'a\n\nb\n' | indent(2, true, true) }}", "  a\n  \n  b\n  "},
        {"{{ '\n \nb' | indent('> ', first=true) }}", "\n>  \n> b"},
        {"{{ 'a\r\nb\nc' | indent(-2) }}|{{ 'a\nb' | indent(none) }}|{{ 5 | indent }}", "a\r\nb\nc|a\n    b|"},
        {"{{ 'a\nb' | indent(1000000000) }}", "error: Runtime error: Result too large"},
    };
    expectRenders(cases);
}

TEST(TextFilters, WithoutAPipedValueTheyGiveTheirEmptyResultWhateverTheKeywords)
{
    Jinja::KeywordArguments keywords;
    keywords.updateValue(Value(1), "foo");
    for (const auto filter : {Jinja::Filters::capitalize, Jinja::Filters::center, Jinja::Filters::title,
                              Jinja::Filters::replace, Jinja::Filters::truncate, Jinja::Filters::indent})
        EXPECT_EQ(filter({}, keywords, nullptr), Value(""));
    EXPECT_EQ(Jinja::Filters::wordcount({}, keywords, nullptr), Value(0));
}
