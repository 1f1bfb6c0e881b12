#include "Jinja/Runtime/Value.h"

#include "Jinja/ValueTesting.h"

#include <gtest/gtest.h>

#include <map>
#include <unordered_map>

using Jinja::Value;
using JinjaTesting::outcome;

namespace {

const std::string refused = "error: Runtime error: Cannot convert value of type Optional<Any> to Jinja Value";

} // namespace

TEST(HostConversion, AcceptedHostValues)
{
    const struct {
        std::any host;
        std::string text;
    } cases[] = {
        {std::any(), ""},
        {Value(7), "7"},
        {std::string("text"), "text"},
        {std::int64_t{1} << 40, "1099511627776"},
        {1LL, "1"},
        {2.5, "2.5"},
        {0.5f, "0.5"},
        {true, "true"},
        {std::vector<std::any>{1L, std::string("a"), std::any()}, "[1, 'a', ]"},
        {std::map<std::string, std::any>{{"b", 1L}, {"a", 2L}, {"c", std::vector<std::any>{}}}, "{a: 2, b: 1, c: []}"},
        {std::unordered_map<std::string, std::any>{{"b", 1L}, {"a", 2L}, {"c", 3L}}, "{a: 2, b: 1, c: 3}"},
        {Jinja::Macro{.name = "m"}, "[Macro m]"},
    };
    for (const auto& [host, text] : cases)
        EXPECT_EQ(Value::fromAny(host).description(), text);
    EXPECT_TRUE(Value::fromAny(std::any()).isNull());
    EXPECT_TRUE(Value::fromAny(0.5f).isDouble());
}

TEST(HostConversion, OtherTypesAreRefusedAlsoInsideContainers)
{
    struct Config {};
    for (const std::any& host :
         {std::any(1), std::any(Config{}), std::any(std::string_view("x")), std::any(std::vector<std::any>{1L, 2}),
          std::any(std::map<std::string, std::any>{{"a", 1L}, {"b", 'c'}})})
        EXPECT_EQ(outcome([&] { return Value::fromAny(host); }), refused) << host.type().name();
}

TEST(HostConversion, DeeplyNestedHostDataFailsInsteadOfRecursing)
{
    std::any nested = std::vector<std::any>{};
    for (int level = 1; level < 300; ++level)
        nested = std::vector<std::any>{nested};
    EXPECT_EQ(outcome([&] { return Value::fromAny(nested); }), "error: Runtime error: Value nested too deeply");
}

TEST(HostConversion, ObjectLiteralKeepsFirstPlacesAndLastValues)
{
    EXPECT_EQ(Value::object({{"x", Value(1)}, {"y", Value(2)}, {"x", Value(3)}}).description(), "{x: 3, y: 2}");
}
