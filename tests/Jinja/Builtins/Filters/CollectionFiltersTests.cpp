#include "tests/Jinja/RenderTesting.h"

#include <gtest/gtest.h>

using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;

TEST(CollectionFilters, ListAndItemsMakeArraysOfWhatTheyCanWalk)
{
    const RenderCase cases[] = {
        {"{{ 'ae\u0301' | list }}|{{ 5 | list }}|{{ [1] | list }}", "['a', 'e\u0301']|[]|[1]"},
        {"{{ {'b': 1, 'a': [2]} | items }}|{{ [1] | items }}", "[['b', 1], ['a', [2]]]|[]"},
    };
    expectRenders(cases);
}

TEST(CollectionFilters, MaxAndMinKeepTheFirstExtremeAndPassOverWholeElementsTheyCannotOrder)
{
    const RenderCase cases[] = {
        {"{{ ['b', 'A', 'a'] | max }}|{{ ['A', 'a'] | min }}|{{ ['a', 'A'] | min(true) }}|{{ ['A', 'a'] | max }}",
         "b|A|A|A"},
        {"{{ [1, 2.5, 2] | max }}|{{ [3, 'a', 1] | min }}|{{ [none, 2, 1] | min }}|{{ [] | max }}|{{ 'ab' | max }}",
         "2.5|1|||"},
        {"{{ [{'age': 3, 'n': 'x'}, {'age': 7, 'n': 'y'}, {'age': 7, 'n': 'z'}] | max(attribute='age') }}",
         "{age: 7, n: y}"},
        {"{{ [{'age': 3}, {}] | max(attribute='age') }}",
         "error: Runtime error: Cannot compare values of different types (3 and )"},
        {"{{ [{'age': 3}, {}] | min(attribute='age') }}",
         "error: Runtime error: Cannot compare values of different types ( and 3)"},
    };
    expectRenders(cases);
}

TEST(CollectionFilters, BatchFillsTheLastRowWithinTheSizeBound)
{
    const RenderCase cases[] = {
        {"{{ [1, 2, 3] | batch(2, 0) }}|{{ [1, 2] | batch(5) }}|{{ [] | batch(2) }}|{{ 5 | batch }}",
         "[[1, 2], [3, 0]]|[[1, 2, , , ]]|[]|[]"},
        {"{{ [1] | batch(0) }}", "error: Runtime error: batch filter requires positive integer batchSize parameter"},
        {"{{ [1] | batch(2.0) }}", "error: Runtime error: batch filter requires positive integer batchSize parameter"},
        {"{{ [1] | batch }}", "error: Runtime error: Missing required argument 'batchSize' for filter."},
        {"{{ [1] | batch(1000000000) }}", "error: Runtime error: Result too large"},
    };
    expectRenders(cases);
}

TEST(CollectionFilters, SumAddsWithTheLanguagesPlus)
{
    const RenderCase cases[] = {
        {"{{ [1, 2, 3] | sum }}|{{ [1, 2] | sum(start=10) }}|{{ [1, 2.5] | sum }}|{{ [] | sum(start='s') }}|{{ 'ab' | "
         "sum }}",
         "6|13|3.5|s|0"},
        {"{{ [{'price': 2}, {'price': 5}] | sum('price') }}|{{ [[1], [2]] | sum(start=[]) }}", "7|[1, 2]"},
        {"{{ [[1]] | sum }}", "error: Runtime error: Cannot add values of different types (0 and [1])"},
    };
    expectRenders(cases);
}

TEST(CollectionFilters, UniqueKeepsTheFirstElementOfEachStrictlyEqualKey)
{
    const RenderCase cases[] = {
        {"{{ ['a', 'A', 'b'] | unique }}|{{ ['a', 'A', 'b'] | unique(true) }}", "['a', 'b']|['a', 'A', 'b']"},
        {"{{ [{'id': 1, 'n': 'x'}, {'id': 1, 'n': 'y'}, {'id': 2}] | unique(attribute='id') }}",
         "[{id: 1, n: x}, {id: 2}]"},
        {"{{ [[1, 'a'], [1, 'b'], [2, 'c']] | unique(attribute=0) }}|{{ [1, 2] | unique(attribute=1.5) }}",
         "[[1, 'a'], [2, 'c']]|[1]"},
    };
    expectRenders(cases);
}
