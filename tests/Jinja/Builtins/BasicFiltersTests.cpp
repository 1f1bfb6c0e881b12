#include "Jinja/Builtins/Filters.h"
#include "Jinja/RenderTesting.h"
#include "Jinja/ValueTesting.h"

#include <gtest/gtest.h>

#include <set>

using Jinja::Value;
using JinjaTesting::expectRenders;
using JinjaTesting::outcome;
using JinjaTesting::RenderCase;
using JinjaTesting::rendered;

TEST(BasicFilters, CaseMappingAndLengthCountUserPerceivedCharacters)
{
    const RenderCase cases[] = {
        {"{{ 'Straße' | upper }}{{ '\u00C0B' | lower }}{{ 'a' | upper(1, 2) }}", "STRASSE\u00E0bA"},
        {"{{ 'e\u0301' | length }}{{ x | length }}{{ {'a': 1, 'b': 2} | count }}{{ [1, 2, 3] | length }}", "1023"},
        {"{{ none | length }}", "error: Runtime error: length filter requires string, array, or object"},
        {"{{ 'a' | upper(x=1) }}", "error: Runtime error: Unexpected keyword argument 'x' for filter."},
        // The kind check comes before binding for upper, after it for first.
        {"{{ 5 | upper(a=1) }}", "error: Runtime error: upper filter requires string"},
        {"{{ 5 | first(a=1) }}", "error: Runtime error: Unexpected keyword argument 'a' for filter."},
        {"{{ 'ab' | length(a=1) }}", "error: Runtime error: Unexpected keyword argument 'a' for filter."},
    };
    expectRenders(cases);
}

TEST(BasicFilters, JoinPrintsElementsOrTheirAttributes)
{
    const RenderCase cases[] = {
        {"{{ [1, 'a', none, [2, 'b']] | join('-') }}", "1-a--[2, 'b']"},
        {"{{ [] | join(',') }}|{{ [1, 2] | join }}", "|12"},
        {"{{ [{'name': 'x'}, {'other': 1}, 's'] | join(',', 'name') }}", "x,,"},
        {"{{ [[1, 2], [3]] | join('/', attribute=1) }}", "2/"},
        {"{{ [{'0': 'zero'}] | join(',', 0) }}{{ [{'a': 1}] | join(',', 'keys') }}", "zero[Function]"},
        {"{{ ['ab'] | join(',', 'upper') }}{{ [{'a': 1}] | join(',', 1.5) }}", "[Function]"},
        {"{{ [1] | join(5) }}", "error: Runtime error: join filter requires string separator"},
        {"{{ 'abc' | join }}", "error: Runtime error: join filter requires array"},
    };
    expectRenders(cases);
}

TEST(BasicFilters, DefaultReplacesUndefinedAndOnRequestFalse)
{
    const RenderCase cases[] = {
        {"{{ x | default('x') }}|{{ none | default('x') }}|{{ false | d('x') }}", "x||false"},
        {"{{ false | default('x', true) }}|{{ '' | default('x', true) }}|{{ 0 | d('x', boolean=true) }}", "x||0"},
        {"{{ x | default }}", "error: Runtime error: Missing required argument 'default_value' for filter."},
    };
    expectRenders(cases);
}

TEST(BasicFilters, FirstLastAndReverseTakeCharactersAndElements)
{
    const RenderCase cases[] = {
        {"{{ 'e\u0301x' | first }}|{{ 'abc' | last }}|{{ [1, 2] | first }}|{{ '' | first }}|{{ [] | last }}",
         "e\u0301|c|1||"},
        {"{{ 'ae\u0301' | reverse }}|{{ [1, [2, 3]] | reverse }}", "e\u0301a|[[2, 3], 1]"},
        {"{% set a = [1, 2] %}{{ a | reverse }}{{ a }}", "[2, 1][1, 2]"},
        {"{{ 5 | first }}", "error: Runtime error: first filter requires array or string"},
        {"{{ 5 | last }}", "error: Runtime error: last filter requires array or string"},
        {"{{ {'a': 1} | reverse }}", "error: Runtime error: reverse filter requires array or string"},
    };
    expectRenders(cases);
}

TEST(BasicFilters, RandomDrawsEveryCandidateAndNothingElse)
{
    const RenderCase cases[] = {
        {"{{ {'k': 1} | random }}|{{ 5 | random }}|{{ none | random }}|{{ [] | random }}|{{ '' | random }}", "k||||"},
    };
    expectRenders(cases);
    std::set<std::string> drawn;
    const Jinja::Template text("{{ ['a', 'b', 'c'] | random }}{{ 'x\u0301y' | random }}");
    for (int draw = 0; draw < 200; ++draw)
        drawn.insert(text.render({}));
    EXPECT_EQ(drawn, (std::set<std::string>{"ax\u0301", "ay", "bx\u0301", "by", "cx\u0301", "cy"}));
}

// Host code may call a filter with no piped value at all.
TEST(BasicFilters, WithoutAPipedValue)
{
    const Jinja::KeywordArguments keyword{{"x", Value(1)}};
    const std::pair<const char*, std::string> cases[] = {
        {"first", ""},
        {"last", ""},
        {"random", ""},
        {"reverse", ""},
        {"upper", "error: Runtime error: upper filter requires string"},
        {"lower", "error: Runtime error: lower filter requires string"},
        {"length", "error: Runtime error: length filter requires string, array, or object"},
        {"join", "error: Runtime error: join filter requires array"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(outcome([&] { return Jinja::Filters::builtIn().at(name)({}, keyword, nullptr); }), expected) << name;
    EXPECT_EQ(outcome([&] { return Jinja::Filters::defaultValue({}, {}, nullptr); }),
              "error: Runtime error: Missing required argument 'default_value' for filter.");
    EXPECT_FALSE(Jinja::Filters::builtIn().contains("Upper"));
}
