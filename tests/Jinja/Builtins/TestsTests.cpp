#include "Jinja/Builtins/Tests.h"
#include "Jinja/JinjaError.h"
#include "Jinja/RenderTesting.h"

#include <gtest/gtest.h>

#include <cmath>

using Jinja::Value;
using JinjaTesting::expectRenders;
using JinjaTesting::RenderCase;
using JinjaTesting::rendered;

namespace {

// The tests the parser does not let a template name (`in`, `filter` and the
// operator names), called through the table.
bool run(const char* name, std::vector<Value> arguments)
{
    return Jinja::Tests::builtIn().at(name)(arguments, {}, nullptr);
}

} // namespace

TEST(Tests, KindTests)
{
    const RenderCase cases[] = {
        {"{{ none is defined }}{{ none is none }}{{ x is defined }}{{ x is none }}{{ x is undefined }}",
         "truetruefalsefalsetrue"},
        {"{{ 2.0 is number }}{{ 2.0 is float }}{{ 2.0 is integer }}{{ true is boolean }}{{ true is number }}",
         "truetruefalsetruefalse"},
        {"{{ {} is iterable }}{{ {} is mapping }}{{ {} is sequence }}{{ 'a' is sequence }}{{ 'a' is string }}",
         "truetruefalsetruetrue"},
        {"{{ 1 is true }}{{ true is true }}{{ 0 is false }}{{ false is false }}", "falsetruefalsetrue"},
        {"{{ range is callable }}{% macro m() %}{% endmacro %}{{ m is callable }}{{ 'a' is escaped }}",
         "truetruefalse"},
    };
    expectRenders(cases);
}

TEST(Tests, NumberTests)
{
    const Jinja::Template::Context context{{"infinity", Value(HUGE_VAL)}};
    const RenderCase cases[] = {
        {"{{ -4 is even }}{{ -3 is odd }}{{ 4.0 is even }}{{ 3.0 is odd }}{{ 2.5 is even }}{{ 2.5 is odd }}",
         "truetruetruetruefalsefalse"},
        {"{{ infinity is even }}{{ infinity is odd }}{{ 'a' is odd }}", "falsefalsefalse"},
        {"{{ 10 is divisibleby 3 }}{{ 9 is divisibleby 3 }}{{ 9 is divisibleby 0 }}{{ 7.5 is divisibleby 2.5 }}",
         "falsetruefalsetrue"},
        {"{{ '9' is divisibleby 3 }}{{ (-9223372036854775807 - 1) is divisibleby(-1) }}", "falsetrue"},
        {"{{ 9 is divisibleby }}", "error: Runtime error: Missing required argument 'divisor' for filter."},
        {"{{ 1 is defined(1, 2) }}", "true"},
    };
    expectRenders(cases, context);
}

TEST(Tests, ComparisonTests)
{
    const RenderCase cases[] = {
        {"{{ 1 is eq 1.0 }}{{ '1' is eq 1 }}{{ 1 is gt '0' }}{{ 2 is ge 2 }}{{ 1 is lt 2 }}{{ 1 is ne 2 }}",
         "truefalsefalsetruetruetrue"},
        {"{{ nan is ge 1 }}{{ nan is gt 1 }}", "truefalse"},
        {"{{ 1 is sameas 1.0 }}{{ 'a' is sameas 'a' }}", "truetrue"},
        {"{{ true is sameas true }}", "error: Runtime error: Cannot compare values of different types (true and true)"},
        {"{{ none is sameas none }}", "error: Runtime error: Cannot compare values of different types ( and )"},
        {"{{ 'ABC' is upper }}{{ 'abc1' is lower }}{{ '' is lower }}{{ '' is upper }}{{ 5 is lower }}",
         "truetruetruetruefalse"},
        {"{{ 'Straße' is lower }}{{ 'ß' is lower }}{{ 'ß' is upper }}", "falsetruefalse"},
    };
    expectRenders(cases, {{"nan", Value(std::nan(""))}});
}

TEST(Tests, TheTablesAndContainmentThroughTheTable)
{
    EXPECT_TRUE(run("filter", {Value("upper")}));
    EXPECT_FALSE(run("filter", {Value("foo")}));
    EXPECT_FALSE(run("filter", {Value(1)}));
    EXPECT_TRUE(run("test", {Value("gt")}));
    EXPECT_TRUE(run("test", {Value("<=")}));
    EXPECT_TRUE(run("in", {Value("b"), Value("abc")}));
    EXPECT_FALSE(run("in", {Value(""), Value("abc")}));
    EXPECT_TRUE(run("in", {Value("a"), Value::object({{"a", Value(1)}})}));
    EXPECT_TRUE(run("in", {Value(1), Value::array({Value(1.0)})}));
    EXPECT_TRUE(run("in", {Value(7), Value::array({Value(std::nan(""))})}));
    EXPECT_TRUE(run("in", {Value(1), Value::array({Value(1), Value("a")})}));
    EXPECT_FALSE(run("in", {Value(1), Value(5)}));
    EXPECT_THROW(run("in", {Value("a"), Value::array({Value(1), Value("a")})}), Jinja::JinjaError);
    EXPECT_EQ(Jinja::Tests::builtIn().size(), 39U);
    EXPECT_EQ(Jinja::Tests::builtIn().at("=="), Jinja::Tests::builtIn().at("equalto"));
}
