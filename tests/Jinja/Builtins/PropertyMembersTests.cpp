#include "Jinja/Builtins/PropertyMembers.h"

#include "Jinja/ValueTesting.h"

#include <gtest/gtest.h>

using Jinja::KeywordArguments;
using Jinja::Value;
using JinjaTesting::call;
using JinjaTesting::outcome;

namespace {

std::string callMember(const Value& receiver, const char* name, const std::vector<Value>& arguments = {},
                       const KeywordArguments& keywords = {})
{
    return outcome([&] { return call(Jinja::PropertyMembers::evaluate(receiver, name), arguments, keywords); });
}

} // namespace

TEST(PropertyMembers, StringMethods)
{
    const Value none = Value::null();
    const struct {
        const char* text;
        const char* method;
        std::vector<Value> arguments;
        std::string expected;
    } cases[] = {
        {"straße", "upper", {}, "STRASSE"},
        {"x", "upper", {Value(1)}, "X"},
        {"ÀB", "lower", {}, "àb"},
        {"hello wORLD\tx\ny-z", "title", {}, "Hello World\tX\nY-z"},
        {"  x \u2028", "strip", {}, "x"},
        {"  x  ", "lstrip", {}, "x  "},
        {"  x  ", "rstrip", {}, "  x"},
        {" \n ", "strip", {}, ""},
        {"a b  c", "split", {}, "['a', 'b', 'c']"},
        {"a\tb", "split", {}, "['a\tb']"},
        {"a b c", "split", {none, Value(1)}, "['a', 'b', 'c']"},
        {"a,b,c", "split", {Value(","), Value(1)}, "['a', 'b,c']"},
        {"a,,b", "split", {Value(",")}, "['a', '', 'b']"},
        {"a,b", "split", {Value(","), Value(0)}, "['a,b']"},
        {"a,b", "split", {Value("")}, "['a,b']"},
        {"a,b", "split", {Value(";")}, "['a,b']"},
        {"aaa", "replace", {Value("a"), Value("b"), Value(2)}, "bba"},
        {"aa", "replace", {Value("a"), Value("ba"), Value(2)}, "bbaa"},
        {"aaa", "replace", {Value("a"), Value("b")}, "bbb"},
        {"aaab", "replace", {Value("ab"), Value("b"), Value(5)}, "b"},
        {"abc", "replace", {Value("b"), Value("bb"), Value(3)}, "abbbbc"},
        {"xay", "replace", {Value("a"), Value("aa"), Value(2)}, "xaaay"},
        {"abc", "replace", {Value(""), Value("-")}, "-a-b-c-"},
        {"abc", "replace", {Value(""), Value("-"), Value(2)}, "-a-bc"},
        {"abc", "replace", {Value(""), Value("-"), Value(3)}, "-a-b-c"},
        {"abc", "replace", {Value(""), Value("-"), Value(0)}, "abc"},
        {"", "replace", {Value(""), Value("-"), Value(0)}, ""},
        {"", "replace", {Value(""), Value("-")}, "-"},
        {"e\u0301x", "replace", {Value(""), Value("|"), Value(1)}, "|e\u0301x"},
        {"x",
         "replace",
         {Value(1), Value("y")},
         "error: Runtime error: replace() requires 'old' and 'new' string arguments"},
        {"x", "replace", {Value("x")}, "error: Runtime error: Missing required argument 'new' for filter."},
        {"Hello", "startswith", {Value("")}, "true"},
        {"Hello", "startswith", {Value("He")}, "true"},
        {"Hello", "endswith", {Value("lo")}, "true"},
        {"Hello", "endswith", {Value("He")}, "false"},
        {"Hello", "startswith", {Value(1)}, "error: Runtime error: startswith() requires a string prefix"},
        {"Hello", "endswith", {Value(1)}, "error: Runtime error: endswith() requires a string suffix"},
    };
    for (const auto& [text, method, arguments, expected] : cases)
        EXPECT_EQ(callMember(Value(text), method, arguments), expected) << text << "." << method;
    EXPECT_EQ(callMember(Value("x"), "upper", {}, {{"a", Value(1)}}),
              "error: Runtime error: Unexpected keyword argument 'a' for filter.");
    EXPECT_EQ(callMember(Value("a-b"), "split", {}, {{"separator", Value("-")}}), "['a', 'b']");
}

TEST(PropertyMembers, ObjectMethodsHideEntriesOfTheirName)
{
    const Value object = Value::object({{"items", Value(1)}, {"a", Value(2)}});
    EXPECT_TRUE(Jinja::PropertyMembers::evaluate(object, "items").isFunction());
    EXPECT_EQ(Jinja::PropertyMembers::evaluate(object, "a").description(), "2");
    EXPECT_TRUE(Jinja::PropertyMembers::evaluate(object, "missing").isUndefined());
    EXPECT_EQ(callMember(object, "items"), "[['items', 1], ['a', 2]]");
    EXPECT_EQ(callMember(object, "keys"), "['items', 'a']");
    EXPECT_EQ(callMember(object, "values"), "[1, 2]");

    const Value numbered = Value::object({{"a", Value(1)}, {"1", Value("one")}});
    EXPECT_EQ(callMember(numbered, "get", {Value("a")}), "1");
    EXPECT_TRUE(call(Jinja::PropertyMembers::evaluate(numbered, "get"), {Value("b")}).isNull());
    EXPECT_EQ(callMember(numbered, "get", {Value("b"), Value(0)}), "0");
    EXPECT_EQ(callMember(numbered, "get", {Value(1)}), "one");
    EXPECT_EQ(callMember(numbered, "get"), "error: Runtime error: Missing required argument 'key' for filter.");
}

TEST(PropertyMembers, MethodsKeepTheValueTheyWereLookedUpOn)
{
    Value object = Value::object({{"a", Value(1)}});
    const Value keys = Jinja::PropertyMembers::evaluate(object, "keys");
    object.setMember("b", Value(2));
    EXPECT_EQ(call(keys).description(), "['a']");
}

TEST(PropertyMembers, OtherValuesHaveNoMembers)
{
    for (const Value& value : {Value(1), Value::array({Value("upper")}), Value(), Value::undefined()})
        EXPECT_TRUE(Jinja::PropertyMembers::evaluate(value, "upper").isUndefined()) << value.description();
    EXPECT_TRUE(Jinja::PropertyMembers::evaluate(Value("x"), "items").isUndefined());
}

TEST(PropertyMembers, CountedReplacementInALongTextMovesEachPartOnce)
{
    std::string pairs;
    for (int index = 0; index < 200'000; ++index)
        pairs += "ab";
    const Value shrunk =
        call(Jinja::PropertyMembers::evaluate(Value(pairs), "replace"), {Value("ab"), Value("a"), Value(1'000'000)});
    EXPECT_EQ(shrunk.asString().utf8(), std::string(200'000, 'a'));
    const Value grown =
        call(Jinja::PropertyMembers::evaluate(Value("a"), "replace"), {Value("a"), Value("ab"), Value(100'000)});
    EXPECT_EQ(grown.asString().utf8(), "a" + std::string(100'000, 'b'));
}

TEST(PropertyMembers, InsertionBetweenCharactersPastTheSizeBoundFails)
{
    const Value text(std::string(std::size_t(1) << 24, 'x'));
    EXPECT_EQ(
        outcome([&] {
            return call(Jinja::PropertyMembers::evaluate(text, "replace"), {Value(""), Value("0123456789abcdef")});
        }),
        "error: Runtime error: Result too large");
}

TEST(PropertyMembers, SplittingIntoMorePiecesThanAnArrayHoldsFails)
{
    std::string words;
    for (int index = 0; index < 10'000'001; ++index)
        words += "a ";
    EXPECT_EQ(outcome([&] { return call(Jinja::PropertyMembers::evaluate(Value(std::move(words)), "split")); }),
              "error: Runtime error: Result too large");
}
