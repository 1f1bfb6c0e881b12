#include "Hub/Config/ConfigCoding.h"
#include "Hub/Config/ConfigObjectTree.h"
#include "Hub/HubPrinters.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

using namespace Hub;
using Case = Config::Data::Case;

namespace {

const char* const mixedMembers = R"({"a": true, "b": 2.0, "c": 0.5, "d": null, "e": [1, "x"]})";

Config decoded(const std::string& json)
{
    return Platform::JSON::decode<Config>(Platform::JSON::parseDocument(json));
}

Config roundTripped(const Config& value)
{
    rapidjson::Document document;
    const rapidjson::Value json = Platform::JSON::encode(value, document.GetAllocator());
    return decoded(Platform::JSON::serialize(json));
}

} // namespace

TEST(ConfigConversion, ObjectTreesKnowNoBooleansApartFromNumbers)
{
    const Config tree = configFromObjectTree(Platform::JSON::parseDocument(mixedMembers));
    EXPECT_EQ(tree["a"].value().kind(), Case::integer);
    EXPECT_EQ(tree["a"].integer(), 1);
    EXPECT_EQ(tree["a"].boolean(), true);
    EXPECT_EQ(tree["b"].value().kind(), Case::integer);
    EXPECT_EQ(tree["b"].integer(), 2);
    EXPECT_EQ(tree["c"].value().kind(), Case::floating);
    EXPECT_EQ(tree["c"].floating(), 0.5f);
    EXPECT_TRUE(tree["d"].isNull());
    EXPECT_EQ(tree["e"].value().kind(), Case::array);
    EXPECT_EQ(tree["e"], Config(Config::Array{1, "x"}));

    const Config numbers = configFromObjectTree(Platform::JSON::parseDocument(
        "[false, 1e2, -9223372036854775808.0, 9223372036854775808.0, 18446744073709551615, 0.1]"));
    EXPECT_EQ(numbers[0].integer(), 0);
    EXPECT_EQ(numbers[1].integer(), 100);
    EXPECT_EQ(numbers[2].integer(), INT64_MIN);
    EXPECT_EQ(numbers[3].value().kind(), Case::floating);
    EXPECT_EQ(numbers[4].floating(), 18446744073709551615.0f);
    EXPECT_EQ(numbers[5].floating(), 0.1f);
}

TEST(ConfigConversion, TheCoderKeepsBooleansAndReadsTokens)
{
    const Config value = decoded(mixedMembers);
    EXPECT_EQ(value["a"].value().kind(), Case::boolean);
    EXPECT_EQ(value["c"].floating(), 0.5f);
    EXPECT_EQ(value["e"].value().kind(), Case::token);
    EXPECT_EQ(value["e"].token(), Config::Token(1, "x"));

    const struct {
        const char* json;
        Case kind;
    } cases[] = {
        {"[5, \"x\"]", Case::token},    {"[\"x\", 5]", Case::array},
        {"[1, 2]", Case::array},        {"[-1, \"x\"]", Case::array},
        {"[1, \"x\", 2]", Case::array}, {"2.5", Case::floating},
        {"7", Case::integer},           {"18446744073709551615", Case::floating},
        {"1e300", Case::null},          {"\"s\"", Case::string},
        {"null", Case::null},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decoded(c.json).value().kind(), c.kind) << c.json;
    // A repeated member keeps its later value.
    EXPECT_EQ(decoded(R"({"k": 1, "k": 2})")["k"], Config(2));
}

TEST(ConfigConversion, EncodingThenDecodingGivesAnEqualValue)
{
    const Config values[] = {
        Config(Config::KeyValuePairs{
            {"text", "h\u00E9"},
            {"number", 7},
            {"flag", false},
            {"tenth", 0.1f},
            {"whole", 2.0f},
            {"nothing", Config()},
            {"token", Config::Token{42, "x"}},
            {"nested", Config::Array{Config::Array{}, Config::Dictionary{}, "s"}},
        }),
        Config(Config::Array{"x", 5}),
    };
    for (const Config& value : values)
        EXPECT_EQ(roundTripped(value), value) << value.description();
    // The one exception: a non-negative integer and a text come back as a token.
    EXPECT_EQ(roundTripped(Config::Array{5, "x"}), Config(Config::Token{5, "x"}));

    rapidjson::Document document;
    EXPECT_THROW(Platform::JSON::serialize(Platform::JSON::encode(Config(NAN), document.GetAllocator())),
                 Platform::JSON::WriteError);
}
