#include "Jinja/RenderTesting.h"
#include "Jinja/Runtime/Interpreter.h"

#include <gtest/gtest.h>

using Jinja::Value;
using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;
using JinjaTesting::rendered;

TEST(Expression, OperatorsKeepTheirOperandsKinds)
{
    const RenderCase cases[] = {
        {"{{ 0 or 'x' }}|{{ '' and 1 }}|{{ (0 and 1) + 5 }}|{{ none or [] }}", "x||5|[]"},
        {"{{ 'a' if false }}|{{ ('a' if false) is none }}|{{ 1 if 0 else 2 }}", "|true|2"},
        {"{{ not none }}{{ -(1.5) }}{{ +2 }}", "true-1.52"},
        {"{{ -x }}", "error: Runtime error: Cannot negate non-numeric value"},
        {"{{ +'a' }}", "error: Runtime error: Cannot apply unary plus to non-numeric value"},
        {"{{ -(-9223372036854775807 - 1) }}", "error: Runtime error: Integer overflow (-9223372036854775808)"},
        {"{{ 1 in [1.0] }}{{ 'b' in 'abc' }}{{ 2 not in [1] }}{{ 1 < 2 }}", "falsetruetruetrue"},
        {"{{ [1, *[2, 3], 4] }}", "error: Runtime error: Unpacking operator can only be used in function calls"},
        {"{{ dict(*[1]) }}", "{}"},
        {"{{ range(*[1, 3], 2) }}", "[1]"},
        {"{{ range(*5) }}", "error: Runtime error: Cannot unpack non-array value"},
        {"{{ 'a' | upper(*[1]) }}", "error: Runtime error: Unpacking operator can only be used in function calls"},
        {"{{ x() }}", "error: Runtime error: Cannot call non-function value"},
    };
    expectRenders(cases);
}

TEST(Expression, IndexingAndMembersGiveUndefinedOutside)
{
    const RenderCase cases[] = {
        {"{{ 'abcde'[-1] }}|{{ 'abcde'[5] }}|{{ 'abcde'[-6] }}|{{ 'e\u0301x'[1] }}", "e|||x"},
        {"{{ [1, 2][1] }}|{{ [1, 2][1.0] }}|{{ {'a': 1}['a'] }}|{{ {'a': 1}[0] }}|{{ 5[0] }}", "2||1||"},
        {"{{ [1, 2].length }}|{{ 'ab'.upper() }}|{{ {'k': 1}.k }}|{{ none.x }}", "|AB|1|"},
        {"{{ {'items': 1}.items() }}", "[['items', 1]]"},
    };
    expectRenders(cases);
}

TEST(Expression, SlicesWalkOnlyRealPositions)
{
    const RenderCase cases[] = {
        {"{{ [1, 2, 3, 4, 5][-2:] }}{{ [1, 2, 3, 4, 5][::-1] }}{{ [1, 2, 3, 4, 5][10::-1] }}",
         "[4, 5][5, 4, 3, 2, 1][5, 4, 3, 2, 1]"},
        {"{{ [1, 2, 3, 4, 5][1:4:2.5] }}{{ [1, 2, 3, 4, 5][-100:2] }}{{ [1, 2, 3][5:] }}", "[2, 3, 4][1, 2][]"},
        // A start before the sequence keeps the positions its steps reach.
        {"{{ [0, 1, 2, 3, 4][-8::2] }}{{ [0, 1, 2, 3, 4][9::-3] }}", "[1, 3][3, 0]"},
        {"{{ 'he\u0301llo'[1:3] }}{{ 'abc'[::-1] }}", "e\u0301lcba"},
        {"{{ [1, 2, 3][-9223372036854775807:] }}{{ [1, 2, 3][:9223372036854775807:9223372036854775807] }}",
         "[1, 2, 3][1]"},
        {"{{ [1, 2, 3][9223372036854775807::-9223372036854775807] }}", "[1]"},
        {"{{ [1][::0] }}", "error: Runtime error: Slice step cannot be zero"},
        {"{{ 5[1:] }}", "error: Runtime error: Slice requires array or string"},
    };
    expectRenders(cases);
}

TEST(Expression, FunctionVariablesHideBuiltInFiltersAndTests)
{
    using Jinja::KeywordArguments;
    using Scope = std::shared_ptr<Jinja::Environment>;
    const Value shout(Jinja::Function([](std::span<const Value> arguments, const KeywordArguments&, const Scope&) {
        return Value(arguments[0].description() + "!");
    }));
    // A test's result judged by truthiness: how many arguments follow the tested value.
    const Value countArguments(
        Jinja::Function([](std::span<const Value> arguments, const KeywordArguments&, const Scope&) {
            return Value(static_cast<std::int64_t>(arguments.size()) - 1);
        }));
    const Jinja::Template::Context context{{"upper", shout}, {"even", countArguments}, {"lower", Value("text")}};
    const RenderCase cases[] = {
        {"{{ 'a' | upper }}{{ 'B' | lower }}", "a!b"},
        {"{% filter upper %}x{% endfilter %}", "x!"},
        {"{{ 3 is even }}{{ 3 is even(1) }}{{ 3 is not even }}", "falsetruetrue"},
        {"{{ 'a' | Upper }}", "error: Runtime error: Unknown filter: Upper"},
        {"{{ 'a' is nothing }}", "error: Runtime error: Unknown test: nothing"},
    };
    expectRenders(cases, context);
}
