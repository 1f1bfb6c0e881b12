#include "Jinja/Builtins/DatePattern.h"
#include "Jinja/Builtins/Globals.h"
#include "Jinja/Builtins/TemplateException.h"

#include "Jinja/ValueTesting.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <thread>

using Jinja::KeywordArguments;
using Jinja::Value;
using JinjaTesting::call;
using JinjaTesting::outcome;

namespace {

Value global(const char* name)
{
    return Jinja::Globals::builtIn().at(name);
}

std::string callGlobal(const char* name, const std::vector<Value>& arguments, const KeywordArguments& keywords = {})
{
    return outcome([&] { return call(global(name), arguments, keywords); });
}

} // namespace

TEST(Globals, Range)
{
    const struct {
        std::vector<Value> arguments;
        std::string expected;
    } cases[] = {
        {{Value(3)}, "[0, 1, 2]"},
        {{Value(1), Value(7), Value(2)}, "[1, 3, 5]"},
        {{Value(5), Value(0), Value(-2)}, "[5, 3, 1]"},
        {{Value(0)}, "[]"},
        {{Value(3), Value(1)}, "[]"},
        {{Value(2), Value(5), Value(-1)}, "[]"},
        {{Value(9223372036854775805), Value(9223372036854775807), Value(4)}, "[9223372036854775805]"},
        {{Value(1), Value(2), Value(0)}, "error: Runtime error: range() step argument must not be zero"},
        {{Value(1.5)}, "error: Runtime error: range() stop argument must be an integer"},
        {{Value(1), Value("2")}, "error: Runtime error: range() arguments must be integers"},
        {{}, "error: Runtime error: range() takes 1 to 3 arguments"},
        {{Value(1), Value(2), Value(3), Value(4)}, "error: Runtime error: range() takes 1 to 3 arguments"},
        {{Value(std::numeric_limits<std::int64_t>::min()), Value(std::numeric_limits<std::int64_t>::max())},
         "error: Runtime error: Result too large"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(callGlobal("range", arguments), expected) << Value(Jinja::Array(arguments)).description();
    EXPECT_EQ(callGlobal("range", {}, {{"stop", Value(3)}}), "error: Runtime error: range() takes 1 to 3 arguments");
}

TEST(Globals, DictAndNamespaceSortTheirKeywords)
{
    EXPECT_EQ(callGlobal("dict", {}, {{"b", Value(1)}, {"a", Value(2)}}), "{a: 2, b: 1}");
    EXPECT_EQ(callGlobal("dict", {Value(1), Value(2)}), "{}");
    EXPECT_EQ(callGlobal("namespace", {}, {{"z", Value(1)}, {"y", Value(true)}}), "{y: true, z: 1}");
}

TEST(Globals, CyclerAndJoinerKeepTheirPlace)
{
    const Value cycler = call(global("cycler"), {Value("odd"), Value("even")});
    const Value next = *cycler.asObject().find("next");
    const Value copyOfNext = next;
    EXPECT_EQ(call(next).description(), "odd");
    EXPECT_EQ(call(copyOfNext).description(), "even");
    EXPECT_EQ(call(next).description(), "odd");
    EXPECT_TRUE(call(*cycler.asObject().find("reset")).isNull());
    EXPECT_EQ(call(next).description(), "odd");
    EXPECT_EQ(cycler.asObject().find("current")->description(), "odd");
    EXPECT_EQ(callGlobal("cycler", {}), "error: Runtime error: cycler() requires at least one argument");

    const Value joiner = call(global("joiner"));
    EXPECT_EQ(call(joiner).description(), "");
    EXPECT_EQ(call(joiner).description(), ", ");
    EXPECT_EQ(call(joiner).description(), ", ");
    EXPECT_EQ(call(call(global("joiner"), {}, {{"sep", Value("|")}}), {Value(1)}).description(), "");
    EXPECT_EQ(callGlobal("joiner", {Value(1)}), "error: Runtime error: joiner separator must be a string");
}

TEST(Globals, CyclerSharedBetweenThreadsHandsOutEachItemInTurn)
{
    const Value cycler = call(global("cycler"), {Value(0), Value(1)});
    const Value next = *cycler.asObject().find("next");
    std::atomic<int> ones = 0;
    {
        std::vector<std::jthread> threads;
        for (int thread = 0; thread < 4; ++thread)
            threads.emplace_back([&] {
                for (int index = 0; index < 1000; ++index)
                    ones += static_cast<int>(call(next).asInt());
            });
    }
    EXPECT_EQ(ones, 2000);
}

TEST(Globals, Lipsum)
{
    EXPECT_EQ(callGlobal("lipsum", {Value(0)}), "");
    const std::string sentence = callGlobal("lipsum", {Value(1), Value(false), Value(3), Value(3)});
    EXPECT_TRUE(std::regex_match(sentence, std::regex("[A-Z][a-z]* [a-z]+ [a-z]+\\."))) << sentence;
    const std::string html = callGlobal("lipsum", {Value(2), Value(true), Value(1), Value(1)});
    EXPECT_TRUE(std::regex_match(html, std::regex("<p>[A-Z][a-z]*\\.</p>\n<p>[A-Z][a-z]*\\.</p>"))) << html;
    const std::string plain = callGlobal("lipsum", {Value(2), Value(false), Value(0), Value(0)});
    EXPECT_EQ(plain, ".\n\n.");
    const std::string invalid = "error: Runtime error: Invalid arguments for lipsum()";
    EXPECT_EQ(callGlobal("lipsum", {Value("x")}), invalid);
    EXPECT_EQ(callGlobal("lipsum", {Value(-1)}), invalid);
    EXPECT_EQ(callGlobal("lipsum", {Value(1), Value(true), Value(5), Value(4)}), invalid);
    EXPECT_EQ(callGlobal("lipsum", {}, {{"words", Value(1)}}),
              "error: Runtime error: Unexpected keyword argument 'words' for filter.");
}

TEST(Globals, RaiseExceptionThrowsTheTemplatesMessage)
{
    try {
        call(global("raise_exception"), {Value("boom")});
        FAIL();
    } catch (const Jinja::TemplateException& error) {
        EXPECT_EQ(error.message(), "boom");
    }
    try {
        call(global("raise_exception"));
        FAIL();
    } catch (const Jinja::TemplateException& error) {
        EXPECT_FALSE(error.message());
    }
}

TEST(Globals, DatePatternsFromPercentCodes)
{
    const struct {
        const char* format;
        const char* pattern;
    } cases[] = {
        {"%Y-%m-%d", "yyyy'-'MM'-'dd"},    {"100%%", "'100'%"},
        {"%e and %", "'%e and %'"},        {"%H:%M it's", "HH':'mm' it''s'"},
        {"%c", "EEE MMM d HH:mm:ss yyyy"},
    };
    for (const auto& [format, pattern] : cases)
        EXPECT_EQ(Jinja::datePattern(format), pattern) << format;
}

TEST(Globals, StrftimeNowFormatsTheCurrentTime)
{
    TestSupport::ScopedEnvironment zone("TZ", "UTC");
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    EXPECT_EQ(callGlobal("strftime_now", {Value("%Y")}), std::to_string(parts.tm_year + 1900));
    EXPECT_EQ(callGlobal("strftime_now", {Value("100%%")}), "100%");
    EXPECT_EQ(callGlobal("strftime_now", {Value("it's %e")}), "it's %e");
    EXPECT_EQ(callGlobal("strftime_now", {}), "error: Runtime error: strftime_now takes exactly 1 argument");
    EXPECT_EQ(callGlobal("strftime_now", {Value(1)}),
              "error: Runtime error: strftime_now format argument must be a string");
}
