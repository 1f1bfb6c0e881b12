#include "Platform/JSON/JSONCoding.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

using namespace Platform::JSON;

namespace {

struct Inner {
    float value = 0;
    std::optional<std::string> note {};

    rapidjson::Value toJSON(Allocator& allocator) const
    {
        rapidjson::Value json(rapidjson::kObjectType);
        encodeMember(json, "value", value, allocator);
        encodeOptionalMember(json, "note", note, allocator);
        return json;
    }
    static Inner fromJSON(const rapidjson::Value& json)
    {
        return {decodeMember<float>(json, "value"), decodeOptionalMember<std::string>(json, "note")};
    }
};

struct Outer {
    std::vector<Inner> items;
    static Outer fromJSON(const rapidjson::Value& json) { return {decodeMember<std::vector<Inner>>(json, "items")}; }
};

} // namespace

TEST(JSONCoding, DecodingErrorsSayWhatAndWhere)
{
    struct Case {
        const char* json;
        const char* description;
        std::vector<std::string> path;
    };
    const Case cases[] = {
        {R"({"items":[{"value":1},{"note":"x"}]})", R"(No value for the key "value")", {"items", "1"}},
        {R"({"items":[{"value":"1"}]})", "Expected a number", {"items", "0", "value"}},
        {R"({"items":[{"value":1,"note":3}]})", "Expected a string", {"items", "0", "note"}},
        {R"({"items":[{"value":1e39}]})", "The number 1e+39 does not fit a 32-bit float", {"items", "0", "value"}},
        {R"({"items":{}})", "Expected an array", {"items"}},
        {R"([])", "Expected an object", {}},
    };
    for (const Case& c : cases) {
        try {
            Outer::fromJSON(parseDocument(c.json));
            ADD_FAILURE() << c.json;
        } catch (const DecodingError& error) {
            EXPECT_STREQ(error.what(), c.description) << c.json;
            EXPECT_EQ(error.codingPath(), c.path) << c.json;
        }
    }
}

TEST(JSONCoding, APathReadsAsKeysAfterDotsAndPositionsInBrackets)
{
    EXPECT_EQ(Platform::JSON::pathText({"inputs", "2", "shape", "1"}), "inputs[2].shape[1]");
    EXPECT_EQ(Platform::JSON::pathText({"items", "0", "value"}), "items[0].value");
    EXPECT_EQ(Platform::JSON::pathText({"0", "name"}), "[0].name");
    EXPECT_EQ(Platform::JSON::pathText({}), "");
}

TEST(JSONCoding, OptionalMembersAreWrittenOnlyWhenPresentAndReadMissingOrNullAsAbsent)
{
    rapidjson::Document document;
    rapidjson::Value json = encode(Inner {.value = 0.1f}, document.GetAllocator());
    EXPECT_FALSE(json.HasMember("note"));
    EXPECT_EQ(json["value"].GetDouble(), 0.1); // the float's own shortest form

    EXPECT_FALSE(decode<Inner>(parseDocument(R"({"value":1,"note":null,"unknown":[]})")).note);
    EXPECT_EQ(decode<Inner>(parseDocument(R"({"value":1,"note":"n"})")).note, "n");

    const std::map<int, float> map {{-3, 0.5f}, {50364, -0.25f}};
    rapidjson::Value mapJSON = encode(map, document.GetAllocator());
    EXPECT_EQ(mapJSON["50364"].GetDouble(), -0.25);
    EXPECT_EQ((decode<std::map<int, float>>(mapJSON)), map);
}
