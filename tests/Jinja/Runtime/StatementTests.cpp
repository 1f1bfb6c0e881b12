#include "Jinja/RenderTesting.h"
#include "Jinja/Runtime/ControlFlow.h"
#include "Jinja/Template.h"

#include <gtest/gtest.h>

using Jinja::Value;
using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;
using JinjaTesting::rendered;

TEST(ForLoop, LoopObjectCountsEveryItemAndTheTestOnlySkips)
{
    const RenderCase cases[] = {
        {"{% for x in [1, 2, 3, 4] if x is even %}{{ x }}:{{ loop.index }},{{ loop.first }},{{ loop.last }},"
         "{{ loop.length }};{% endfor %}",
         "2:2,false,false,4;4:4,false,true,4;"},
        {"{% for x in [1, 2, 3] %}{{ loop.index0 }}{{ loop.revindex }}{{ loop.revindex0 }} {% endfor %}",
         "032 121 210 "},
        {"{% for x in [1, 2, 3] %}{{ loop.cycle('a', 'b') }}{{ loop.cycle() }}{% endfor %}", "aba"},
        {"{% for x in [] %}a{% else %}empty{% endfor %}", "empty"},
        {"{% for x in [1, 3] if x is even %}a{% else %}empty{% endfor %}", ""},
        {"{% for x in missing %}a{% else %}b{% endfor %}",
         "error: Runtime error: Cannot iterate over non-iterable value"},
        {"{% for x in 5 %}{% endfor %}", "error: Runtime error: Cannot iterate over non-iterable value"},
        {"{% for k in {'a': 1, 'b': 2} %}{{ k }}{% endfor %}", "ab"},
        {"{% for k, v, w in {'a': 1, 'b': 2} %}{{ k }}={{ v }}{{ w is undefined }};{% endfor %}", "a=1true;b=2true;"},
        {"{% for c in 'e\u0301x' %}[{{ c }}]{{ loop.length }}{% endfor %}", "[e\u0301]2[x]2"},
        {"{% for a, b in [[1, 2], [3]] %}{{ a }}{{ b is undefined }};{% endfor %}", "1false;3true;"},
        {"{% for loop in [7] %}{{ loop.index }}{% endfor %}", "1"},
        {"{% for x in [1, 2] %}{{ loop.previtem is undefined }}{% endfor %}", "truetrue"},
    };
    expectRenders(cases);
}

TEST(ForLoop, SetsInTheBodyReachLaterItemsButNotTheCodeAfter)
{
    const RenderCase cases[] = {
        {"{% set y = 0 %}{% for x in [1, 2, 3] %}{{ y }}{% set y = x %}{% endfor %}|{{ y }}", "012|0"},
        {"{% for x in [1] %}{% macro m() %}in{% endmacro %}{{ m() }}{% endfor %}{{ m is undefined }}", "intrue"},
        {"{% set ns = namespace(n=0) %}{% for x in [1, 2] %}{% set ns.n = ns.n + x %}{% endfor %}{{ ns.n }}", "3"},
        {"{% set items = [1, 2] %}{% for x in items %}{% set items = [] %}{{ x }}{% endfor %}", "12"},
    };
    expectRenders(cases);
}

TEST(ForLoop, BreakAndContinueReachTheInnermostLoop)
{
    const RenderCase cases[] = {
        {"{% for x in [1, 2, 3] %}{% if x == 2 %}{% break %}{% endif %}{{ x }}{% else %}e{% endfor %}", "1"},
        {"{% for x in [1, 2, 3] %}{% if x == 2 %}{% continue %}{% endif %}{{ x }}{% endfor %}", "13"},
        {"{% for c in 'abc' %}{% if c == 'b' %}{% continue %}{% endif %}{{ c }}{% endfor %}", "ac"},
        {"{% for k in {'a': 1, 'b': 2} %}{{ k }}{% break %}{% endfor %}", "a"},
        {"{% for x in [1, 2] %}{% for y in [1, 2] %}{% break %}{% endfor %}{{ x }}{% endfor %}", "12"},
        // A signal leaving a macro, a caller or a filter block crosses an expression.
        {"{% macro stop() %}s{% break %}{% endmacro %}{% for x in [1, 2] %}{{ x }}{{ stop() }}{% endfor %}", "1"},
        {"{% for x in [1, 2] %}{% filter upper %}a{% continue %}{% endfilter %}{{ x }}{% endfor %}", ""},
        {"{% macro m() %}{{ caller() }}{% endmacro %}{% for x in [1, 2] %}{{ x }}{% call m() %}{% break %}"
         "{% endcall %}{% endfor %}",
         "1"},
    };
    expectRenders(cases);
}

TEST(ForLoop, SignalsOutsideAnyLoopLeaveTheRenderAsControlFlow)
{
    EXPECT_THROW(Jinja::Template("a{% break %}").render({}), Jinja::ControlFlow);
    try {
        Jinja::Template("{% macro m() %}{% continue %}{% endmacro %}{{ m() }}").render({});
        ADD_FAILURE() << "no signal";
    } catch (const Jinja::ControlFlow& signal) {
        EXPECT_EQ(signal.kind(), Jinja::ControlFlow::Kind::continueLoop);
    }
}

TEST(Macro, ArgumentsDefaultsAndKeywordsBindInTheCallersScope)
{
    const RenderCase cases[] = {
        {"{% macro m(a, b) %}{{ a }}-{{ b }}{% endmacro %}{{ m(1) }}|{% set b = 'B' %}{{ m(1) }}|{{ m(1, 2, 3) }}",
         "1-|1-B|1-2"},
        {"{% macro m(a, b=a) %}{{ b }}{% endmacro %}{{ m(1) }}|{% set a = 'outer' %}{{ m(1) }}|{{ m(1, 2) }}",
         "|outer|2"},
        {"{% macro m(a) %}{{ a }}{{ c }}{% endmacro %}{{ m(1, c=3) }}{{ m(1, a=2) }}", "132"},
        // Every default is evaluated, also when its argument is passed.
        {"{% macro m(a=1 // 0) %}{{ a }}{% endmacro %}{{ m(5) }}", "error: Runtime error: Division by zero"},
        {"{% for x in [1, 2] %}{% macro m() %}{{ x }}{{ loop.index }}{% endmacro %}{{ m() }}{% endfor %}", "1122"},
        {"{% macro m() %}{% set inner = 1 %}{% endmacro %}{{ m() }}{{ inner is defined }}", "false"},
        {"{% macro m() %}x{% endmacro %}{{ m }}", "[Macro m]"},
        {"{% macro m(n) %}{% if n > 0 %}{{ m(n - 1) }}{% endif %}.{% endmacro %}{{ m(200) | length }}", "201"},
        {"{% macro m() %}{{ m() }}{% endmacro %}{{ m() }}", "error: Runtime error: Template nested too deeply"},
    };
    expectRenders(cases);
}

TEST(CallBlock, CallerRendersTheBlockWithItsParameters)
{
    const RenderCase cases[] = {
        {"{% macro m(x, y) %}[{{ x }}{{ caller() }}]{% endmacro %}{% call m(1) %}body{% endcall %}", "[1body]"},
        {"{% macro m() %}{{ caller(5) }}/{{ caller() }}{% endmacro %}{% set a = 'A' %}"
         "{% call(a) m() %}{{ a }}{% endcall %}",
         "5/A"},
        {"{% macro m() %}{{ caller() }}{% endmacro %}{% call('x') m() %}ok{% endcall %}", "ok"},
        {"{% macro m() %}{{ caller(1) }}{% endmacro %}{% call('x') m() %}ok{% endcall %}",
         "error: Runtime error: Caller parameter must be an identifier"},
        {"{% set f = 5 %}{% call f() %}x{% endcall %}", "error: Runtime error: Cannot call non-function value"},
        {"{% call dict(a=1) %}x{% endcall %}", "{a: 1}"},
    };
    expectRenders(cases);
}

TEST(FilterBlock, AppliesANamedFilterToTheRenderedBody)
{
    const RenderCase cases[] = {
        {"{% filter upper %}ab{{ 'c' }}{% endfilter %}", "ABC"},
        // The last filter applies; its operand is not evaluated.
        {"{% filter nope(1) | upper %}ab{% endfilter %}", "AB"},
        {"{% filter f(1) %}ab{% endfilter %}", "error: Runtime error: Invalid filter expression in filter statement"},
        {"{% filter nope %}ab{% endfilter %}", "error: Runtime error: Unknown filter: nope"},
    };
    expectRenders(cases);
}

TEST(SetStatement, AssignsNamesTuplesAndMembers)
{
    const RenderCase cases[] = {
        {"{% set a, b = [1, 2] %}{{ a }}{{ b }}", "12"},
        {"{% set a, b = [1, 2, 3] %}", "error: Runtime error: Tuple assignment mismatch: 2 variables and 3 values."},
        {"{% set a, b = 5 %}", "error: Runtime error: Cannot unpack non-array value for tuple assignment."},
        {"{% set x %}in{{ 1 }}{% endset %}[{{ x }}]", "[in1]"},
        {"{% if true %}{% set x = 1 %}{% endif %}{{ x }}", "1"},
        {"{% set o = {'a': {'b': 1}} %}{% set o.a.b = 2 %}{{ o.a.b }}", "1"},
        {"{% set o = {'a': 1} %}{% set o['c'] = 3 %}{% set o.a = 2 %}{{ o }}", "{a: 2, c: 3}"},
        {"{% set n = 5 %}{% set n.a = 1 %}{{ n }}", "5"},
        {"{% set o = {} %}{% set o[1] = 2 %}", "error: Runtime error: Computed property key must be a string"},
        {"{% set f() = 1 %}", "error: Runtime error: Invalid target for assignment: f()"},
    };
    expectRenders(cases);
}
