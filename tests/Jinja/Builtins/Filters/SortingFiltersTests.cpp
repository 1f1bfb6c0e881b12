#include "tests/Jinja/RenderTesting.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;

TEST(SortingFilters, SortIsStableFoldsCaseAndReversesTies)
{
    const RenderCase cases[] = {
        {"{{ ['b', 'A', 'a'] | sort }}|{{ ['b', 'A', 'a'] | sort(true) }}|{{ ['b', 'a', 'A'] | "
         "sort(case_sensitive=true) }}",
         "['A', 'a', 'b']|['b', 'a', 'A']|['A', 'a', 'b']"},
        {"{{ [3, 1.5, 2] | sort }}|{{ [{}] | sort }}|{{ 'ba' | sort(x=1) }}", "[1.5, 2, 3]|[{}]|[]"},
        {"{{ [1, 'a'] | sort }}", "error: Runtime error: Cannot compare values of different types (a and 1)"},
        {"{{ ['B', 2] | sort }}", "error: Runtime error: Cannot compare values of different types (2 and B)"},
    };
    expectRenders(cases);
}

TEST(SortingFilters, SortByMemberNamesOrdersByTheFirstThenTheNext)
{
    const Jinja::Template::Context people{
        {"people",
         Jinja::Value::array({Jinja::Value::object({{"age", Jinja::Value(30)}, {"name", Jinja::Value("b")}}),
                              Jinja::Value::object({{"age", Jinja::Value(20)}, {"name", Jinja::Value("c")}}),
                              Jinja::Value::object({{"age", Jinja::Value(30)}, {"name", Jinja::Value("a")}})})},
    };
    const RenderCase cases[] = {
        {"{{ people | sort(attribute='age, name') | map(attribute='name') | join }}", "cab"},
        {"{{ people | sort(attribute='age') | map(attribute='name') | join }}", "cba"},
        {"{{ [2, 1] | sort(attribute=' ,, ') }}|{{ [2, 1] | sort(attribute=5) }}|{{ [{}] | sort(attribute='x') }}",
         "[1, 2]|[1, 2]|[{}]"},
        {"{{ (people + [{}]) | sort(attribute='age') }}",
         "error: Runtime error: Cannot compare values of different types ( and 30)"},
    };
    expectRenders(cases, people);
}

TEST(SortingFilters, GroupbySortsByTextWhenValuesHaveNoOrderAndGroupsEquivalentKeys)
{
    const RenderCase cases[] = {
        {"{% for g in [{'c': 'Paris', 'n': 1}, {'c': 'paris', 'n': 2}, {'c': 'Rome', 'n': 3}] | groupby('c') %}"
         "{{ g.grouper }}:{{ g.list | map(attribute='n') | join }} {% endfor %}",
         "Paris:12 Rome:3 "},
        {"{% for g in [{'c': 'Paris'}, {'c': 'paris'}, {'c': 'Rome'}] | groupby('c', case_sensitive=true) %}"
         "{{ g.grouper }} {% endfor %}",
         "Paris Rome paris "},
        // 1 and '1' sort alike by their text but are different keys.
        {"{% for g in [{'k': 1}, {'k': '1'}, {'k': 1}, {'k': '1'}] | groupby('k') %}{{ g.list | length }}{% endfor %}",
         "1111"},
        {"{% for g in [{'k': none}, {}, {'k': 2}] | groupby('k', 'none') %}[{{ g.grouper }}:{{ g.list | length }}]{% "
         "endfor %}",
         "[:1][2:1][none:1]"},
        {"{{ [] | groupby }}", "error: Runtime error: Missing required argument 'attribute' for filter."},
        {"{{ [] | groupby(1) }}", "error: Runtime error: groupby filter requires attribute parameter"},
        {"{{ 'ab' | groupby }}", "[]"},
    };
    expectRenders(cases);
}

TEST(SortingFilters, DictsortOrdersKeysByTheLocaleIgnoringCaseOrByCodePoints)
{
    const std::string previous = std::setlocale(LC_COLLATE, nullptr);
    std::setlocale(LC_COLLATE, "C");
    const RenderCase cases[] = {
        {"{{ {'b': 1, 'A': 2, 'a': 3} | dictsort }}|{{ {'b': 1, 'A': 2, 'a': 3} | dictsort(reverse=true) }}",
         "[['A', 2], ['a', 3], ['b', 1]]|[['b', 1], ['A', 2], ['a', 3]]"},
        {"{{ {'b': 1, 'a': 2, 'B': 3} | dictsort(true) }}|{{ {'é': 1, 'f': 2, 'e': 3} | dictsort }}",
         "[['B', 3], ['a', 2], ['b', 1]]|[['e', 3], ['é', 1], ['f', 2]]"},
        {"{{ {'x': 9, 'y': 10} | dictsort(by='value') }}|{{ {'b': 1, 'a': 2} | dictsort(by=1) }}|{{ [1] | dictsort }}",
         "[['y', 10], ['x', 9]]|[['a', 2], ['b', 1]]|[]"},
    };
    expectRenders(cases);
    std::setlocale(LC_COLLATE, previous.c_str());
}
