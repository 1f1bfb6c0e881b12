#include "Jinja/Runtime/ArgumentBinding.h"

#include "Jinja/ValueTesting.h"

#include <gtest/gtest.h>

using Jinja::KeywordArguments;
using Jinja::Parameter;
using Jinja::Value;

namespace {

std::string bind(const std::vector<Value>& arguments, const KeywordArguments& keywordArguments,
                 const std::vector<Parameter>& parameters)
{
    return JinjaTesting::outcome(
        [&] { return Value(Jinja::resolveCallArguments(arguments, keywordArguments, parameters)); });
}

} // namespace

TEST(ArgumentBinding, BindsPositionalThenKeywordThenDefaults)
{
    const std::vector<Parameter> parameters{
        {"a", std::nullopt}, {"b", Value(2)}, {"c", Value::null()}, {"d", Value(4)}};
    EXPECT_EQ(bind({Value(1)}, {}, parameters), "[1, 2, , 4]");
    EXPECT_EQ(bind({Value(1), Value(5), Value(6), Value(7), Value(8)}, {}, parameters), "[1, 5, 6, 7]");
    EXPECT_EQ(bind({}, {{"d", Value(9)}, {"a", Value(0)}}, parameters), "[0, 2, , 9]");
    EXPECT_EQ(bind({Value(1), Value(2)}, {}, {}), "[]");
}

TEST(ArgumentBinding, ReportsTheFirstProblemInOrderOfTheSteps)
{
    const std::vector<Parameter> widthFirst{{"width", std::nullopt}, {"first", Value(false)}};
    EXPECT_EQ(bind({Value(4)}, {{"size", Value(1)}, {"width", Value(4)}}, widthFirst),
              "error: Runtime error: Argument 'width' passed both positionally and as keyword.");
    EXPECT_EQ(bind({}, {{"size", Value(1)}}, {{"width", Value(80)}}),
              "error: Runtime error: Unexpected keyword argument 'size' for filter.");
    // Keywords are checked in the order written.
    EXPECT_EQ(bind({}, {{"b", Value(1)}, {"a", Value(1)}}, {}),
              "error: Runtime error: Unexpected keyword argument 'b' for filter.");
    EXPECT_EQ(bind({Value("x")}, {}, {{"old", std::nullopt}, {"new", std::nullopt}}),
              "error: Runtime error: Missing required argument 'new' for filter.");
    EXPECT_EQ(bind({}, {{"size", Value(1)}}, {{"width", std::nullopt}}),
              "error: Runtime error: Unexpected keyword argument 'size' for filter.");
}
