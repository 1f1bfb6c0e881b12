#include "tests/Jinja/RenderTesting.h"

#include <gtest/gtest.h>

using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;

TEST(SelectionFilters, SliceDealsElementsIntoEqualColumns)
{
    const RenderCase cases[] = {
        {"{{ [1, 2, 3, 4, 5] | slice(2, 0) }}|{{ [1, 2] | slice(3) }}|{{ [] | slice(2) }}|{{ 'ab' | slice(0) }}",
         "[[1, 3, 5], [2, 4, 0]]|[[1], [2], []]|[[], []]|[]"},
        {"{{ [1] | slice(0) }}", "error: Runtime error: slice filter requires positive integer numSlices parameter"},
        {"{{ [1] | slice(2.0) }}", "error: Runtime error: slice filter requires positive integer numSlices parameter"},
        {"{{ [1] | slice(1000000000) }}", "error: Runtime error: Result too large"},
    };
    expectRenders(cases);
}

TEST(SelectionFilters, MapAppliesAFilterOrTakesAMember)
{
    const RenderCase cases[] = {
        {"{{ ['a', 'b'] | map('upper') | join }}|{{ [1.26] | map('round', 2) | list }}|{{ [] | map('nothing') }}",
         "AB|[1.0]|[]"},
        {"{{ [{'n': 'x'}, {'n': none}, {}] | map(attribute='n', default='d') | join(',') }}", "x,,d"},
        {"{{ [[1], []] | map(attribute=0) | list }}|{{ [{'1': 'one'}] | map(attribute=1) | list }}|{{ [1] | map }}",
         "[1, ]|['one']|[]"},
        {"{% set shout = 'no' %}{{ ['a'] | map('shout') }}", "error: Runtime error: Unknown filter: shout"},
    };
    expectRenders(cases);
}

TEST(SelectionFilters, SelectAndRejectRunTheNamedTestWithItsArguments)
{
    const RenderCase cases[] = {
        {"{{ [1, 'a', [0], 0, '', none] | select | list }}|{{ [1, 0, ''] | reject | list }}", "[1, 'a', [0]]|[0, '']"},
        {"{{ range(1, 10) | select('divisibleby', 3) | list }}|{{ range(1, 5) | reject('odd') | list }}",
         "[3, 6, 9]|[2, 4]"},
        {"{{ [{'age': 20, 'n': 'a'}, {'age': 40, 'n': 'b'}] | selectattr('age', 'gt', 30) | map(attribute='n') | join "
         "}}"
         "|{{ [{'on': true}, {}] | rejectattr('on') | list }}",
         "b|[{}]"},
        {"{{ [1] | select('nothing') }}", "error: Runtime error: Unknown test: nothing"},
        {"{{ [] | selectattr(5) }}", "error: Runtime error: selectattr filter requires attribute parameter"},
        {"{{ [] | rejectattr(none) }}", "error: Runtime error: rejectattr filter requires attribute parameter"},
    };
    expectRenders(cases);
}

TEST(SelectionFilters, AttrReadsAMemberOfAStringOrObject)
{
    const RenderCase cases[] = {
        {"{{ {'n': 1} | attr('n') }}|{{ {'n': 1} | attr('m') }}|{{ 5 | attr('n') }}|{{ 'a' | attr('upper') }}",
         "1|||[Function]"},
        {"{{ {} | attr }}", "error: Runtime error: Missing required argument 'attribute' for filter."},
        {"{{ {} | attr(1) }}", "error: Runtime error: attr filter requires attribute parameter"},
    };
    expectRenders(cases);
}
