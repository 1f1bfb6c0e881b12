#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/EncodingError.h"
#include "Jinja/Runtime/Value.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Jinja::Array;
using Jinja::Value;

namespace {

Value function()
{
    return Value(Jinja::Function([](auto, const auto&, const auto&) { return Value(); }));
}

std::string json(const Value& value)
{
    rapidjson::Document document;
    return Platform::JSON::serialize(value.toJSON(document.GetAllocator()));
}

} // namespace

TEST(Value, LiteralsMakeTheCaseTheyLookLike)
{
    EXPECT_TRUE(Value("text").isString());
    EXPECT_TRUE(Value(1).isInt());
    EXPECT_TRUE(Value(std::int64_t{1} << 40).isInt());
    EXPECT_TRUE(Value(1.0).isDouble());
    EXPECT_TRUE(Value(false).isBoolean());
    EXPECT_TRUE(Value().isNull());
    EXPECT_TRUE(Value::undefined().isUndefined());
    EXPECT_FALSE(Value::null().isIterable());
    EXPECT_TRUE(Value::object({}).isIterable());
}

TEST(Value, TextForms)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        Value value;
        const char* text;
    } cases[] = {
        {Value::array({Value(1), Value("a"), Value::array({Value(2), Value("b")}), Value::object({{"k", Value("v")}})}),
         "[1, 'a', [2, 'b'], {k: v}]"},
        {Value::array({Value("")}), "['']"},
        {Value::array({Value()}), "[]"},
        {Value::array({Value(), Value::undefined()}), "[, ]"},
        {Value::object({{"a", Value::array({Value("x")})}, {"b", Value("y")}}), "{a: ['x'], b: y}"},
        {Value(Array{}), "[]"},
        {Value::object({}), "{}"},
        {Value(-42), "-42"},
        {Value(true), "true"},
        {Value(1.0), "1.0"},
        {Value(1e16), "1e+16"},
        {Value(1.5e16), "1.5e+16"},
        {Value(0.00001), "1e-05"},
        {Value(0.0001), "0.0001"},
        {Value(9007199254740992.0), "9007199254740992.0"},
        {Value(0.1), "0.1"},
        {Value(-2.5), "-2.5"},
        {Value(0.0), "0.0"},
        {Value(-0.0), "-0.0"},
        {Value(nan), "nan"},
        {Value(infinity), "inf"},
        {Value(-infinity), "-inf"},
        {function(), "[Function]"},
        {Value(Jinja::Macro{.name = "greet"}), "[Macro greet]"},
        {Value(), ""},
        {Value::undefined(), ""},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(value.description(), text);
}

TEST(Value, Truthiness)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Value& value : {Value(nan), Value(" "), Value(-1), Value::array({Value()}), function()})
        EXPECT_TRUE(value.isTruthy()) << value.description();
    for (const Value& value : {Value(-0.0), Value(""), Value(0), Value(Array{}), Value::object({}), Value(),
                               Value::undefined(), Value(false)})
        EXPECT_FALSE(value.isTruthy()) << value.description();
}

TEST(Value, EquivalenceCrossesNumbersButStrictEqualityDoesNot)
{
    EXPECT_TRUE(Value(1).isEquivalent(Value(1.0)));
    EXPECT_FALSE(Value(1) == Value(1.0));
    EXPECT_FALSE(Value(true).isEquivalent(Value(1)));
    EXPECT_FALSE(Value(true).isEquivalent(Value(1.0)));
    EXPECT_TRUE(Value::array({Value(1)}).isEquivalent(Value::array({Value(1.0)})));
    EXPECT_FALSE(Value::array({Value(1)}) == Value::array({Value(1.0)}));
    const Value ab = Value::object({{"a", Value(1)}, {"b", Value(2)}});
    const Value ba = Value::object({{"b", Value(2)}, {"a", Value(1)}});
    EXPECT_FALSE(ab.isEquivalent(ba));
    EXPECT_FALSE(ab == ba);
    EXPECT_TRUE(ab.isEquivalent(Value::object({{"a", Value(1.0)}, {"b", Value(2)}})));
    EXPECT_FALSE(Value().isEquivalent(Value::undefined()));
    const Value callable = function();
    EXPECT_FALSE(callable.isEquivalent(callable));
    EXPECT_FALSE(callable == callable);
    // A precomposed and a decomposed "é" are the same text.
    EXPECT_TRUE(Value("caf\u00e9") == Value("cafe\u0301"));
    EXPECT_EQ(seededHash(Value("caf\u00e9"), 7), seededHash(Value("cafe\u0301"), 7));
}

TEST(Value, StrictlyEqualValuesHashEqually)
{
    const auto hash = [](const Value& value) { return seededHash(value, 3); };
    EXPECT_EQ(hash(Value(0.0)), hash(Value(-0.0)));
    EXPECT_EQ(hash(Value::array({Value(1), Value("a")})), hash(Value::array({Value(1), Value("a")})));
    EXPECT_EQ(hash(Value::object({{"k", Value(2)}})), hash(Value::object({{"k", Value(2)}})));
    EXPECT_NE(hash(Value::array({Value(1), Value(2)})), hash(Value::array({Value(2), Value(1)})));
    // Null, undefined and functions may share a hash and still differ.
    EXPECT_FALSE(Value() == Value::undefined());
}

TEST(Value, CopiesShareStorageUntilOneChanges)
{
    Value original = Value::array({Value(1)});
    Value copy = original;
    EXPECT_EQ(&copy.asArray(), &original.asArray());
    copy.append(Value(2));
    EXPECT_EQ(original.description(), "[1]");
    EXPECT_EQ(copy.description(), "[1, 2]");

    Value object = Value::object({{"a", Value(1)}});
    const Value before = object;
    object.setMember("a", Value(3));
    object.setMember("b", Value(4));
    EXPECT_EQ(before.description(), "{a: 1}");
    EXPECT_EQ(object.description(), "{a: 3, b: 4}");
}

TEST(Value, NestingPastTheBoundFailsAtLevel257)
{
    Value nested(Array{});
    int level = 1;
    std::string error;
    try {
        for (; level < 300; ++level)
            nested = Value::array({nested});
    } catch (const Jinja::JinjaError& failure) {
        error = failure.what();
    }
    EXPECT_EQ(level, 256);
    EXPECT_EQ(error, "Runtime error: Value nested too deeply");
    EXPECT_EQ(nested.depth(), 256);
    // Growing in place is bounded the same way, and leaves the value as it was.
    Value holder = Value::object({});
    EXPECT_THROW(holder.setMember("deep", nested), Jinja::JinjaError);
    EXPECT_EQ(holder.description(), "{}");
    Value list(Array{});
    EXPECT_THROW(list.append(nested), Jinja::JinjaError);
    EXPECT_TRUE(list.asArray().empty());
}

TEST(Value, EncodesWithSortedKeysAndRefusesFunctions)
{
    EXPECT_EQ(
        json(Value::object({{"b", Value(1)}, {"a", Value::array({Value(2.5), Value(), Value("x"), Value(true)})}})),
        R"({"a":[2.5,null,"x",true],"b":1})");
    try {
        json(Value::object({{"list", Value::array({Value(1), function()})}}));
        FAIL() << "encoded a function";
    } catch (const Jinja::EncodingError& error) {
        EXPECT_STREQ(error.what(), "Cannot encode function values");
        EXPECT_EQ(error.codingPath(), (std::vector<std::string>{"list", "1"}));
    }
}

TEST(Value, DecodesIntegersBeforeDoublesAndObjectsInKeyOrder)
{
    const auto document = Platform::JSON::parseDocument(R"({"z": [1, 1.5, "2", null, false], "a": {}})");
    const Value value = Value::fromJSON(document);
    EXPECT_EQ(value.description(), "{a: {}, z: [1, 1.5, '2', , false]}");
    EXPECT_TRUE(value.asObject().find("z")->asArray()[0].isInt());
}
