#include "Platform/JSON/JSONDocument.h"

#include <cmath>
#include <gtest/gtest.h>

using Platform::JSON::parseDocument;
using Platform::JSON::ParseError;
using Platform::JSON::serialize;

TEST(JSONDocument, ParseErrorsNameTheProblemAndItsOffset)
{
    struct Case {
        std::string text;
        std::string message;
        size_t offset;
        rapidjson::ParseErrorCode code;
    };
    const Case cases[] = {
        {"", "The document is empty. at offset 0", 0, rapidjson::kParseErrorDocumentEmpty},
        {R"({"a": })", "Invalid value. at offset 6", 6, rapidjson::kParseErrorValueInvalid},
        {R"({"a": 1} x)", "The document root must not be followed by other values. at offset 9", 9,
         rapidjson::kParseErrorDocumentRootNotSingular},
        {"[NaN]", "Invalid value. at offset 1", 1, rapidjson::kParseErrorValueInvalid},
        {std::string(300000, '['), "Nesting deeper than 256 levels at offset 256", 256,
         rapidjson::kParseErrorTermination},
        {std::string(100, '{'), "Missing a name for object member. at offset 1", 1,
         rapidjson::kParseErrorObjectMissName},
        {R"({"a":)" + std::string(400, '['), "Nesting deeper than 256 levels at offset 260", 260,
         rapidjson::kParseErrorTermination},
    };
    for (const auto& c : cases) {
        try {
            parseDocument(c.text);
            ADD_FAILURE() << c.text.substr(0, 40) << " was parsed";
        } catch (const ParseError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
            EXPECT_EQ(error.offset(), c.offset) << c.message;
            EXPECT_EQ(error.code(), unsigned(c.code)) << c.message;
            EXPECT_EQ(error.problem() + " at offset " + std::to_string(c.offset), c.message);
        }
    }
}

TEST(JSONDocument, DepthLimitAndNonFiniteNumbersAreOptions)
{
    const std::string deepest = std::string(256, '[') + std::string(256, ']');
    EXPECT_TRUE(parseDocument(deepest).IsArray());
    EXPECT_THROW(parseDocument("[[[1]]]", {.maxDepth = 2}), ParseError);

    const std::string latin1 = "[\"caf\xE9\"]";
    EXPECT_EQ(parseDocument(latin1)[0].GetStringLength(), 4u);
    try {
        parseDocument(latin1, {.requireValidUTF8 = true});
        ADD_FAILURE() << "invalid UTF-8 was parsed";
    } catch (const ParseError& error) {
        EXPECT_EQ(std::string(error.what()), "Invalid encoding in string. at offset 5");
    }

    const auto document = parseDocument(R"({"n": NaN, "i": -Infinity})", {.allowNanAndInfinity = true});
    EXPECT_TRUE(std::isnan(document["n"].GetDouble()));
    EXPECT_EQ(document["i"].GetDouble(), -INFINITY);
    EXPECT_EQ(serialize(document, {.allowNanAndInfinity = true}), R"({"n":NaN,"i":-Infinity})");
    EXPECT_THROW(serialize(document), Platform::JSON::WriteError);

    // Thirty digits: only the exact reading gives the nearest double.
    const char* manyDigits = "[123456789012345678901234567890]";
    EXPECT_EQ(parseDocument(manyDigits, {.fullPrecision = true})[0].GetDouble(), 123456789012345678901234567890.0);
    EXPECT_NE(parseDocument(manyDigits)[0].GetDouble(), 123456789012345678901234567890.0);
}

TEST(JSONDocument, RefusedNumbersAreNamedByTheirPath)
{
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"NaN", "Cannot write NaN: JSON has no number for it"},
        {R"({"a":1,"b":-Infinity})", R"(Cannot write -infinity at "b": JSON has no number for it)"},
        {R"({"segments":[{"start":0},{"tokenLogProbs":[{"1":0},{"7":Infinity}]}]})",
         R"(Cannot write infinity at "segments[1].tokenLogProbs[1].7": JSON has no number for it)"},
    };
    for (const auto& c : cases) {
        try {
            serialize(parseDocument(c.text, {.allowNanAndInfinity = true}));
            ADD_FAILURE() << c.text;
        } catch (const Platform::JSON::WriteError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(JSONDocument, WritesWhatItReadsAndAnyDepthWithoutRecursion)
{
    const std::string text =
        R"({"s":"a\"\\\n\u00e9","t":true,"f":false,"z":null,"i":-7,"u":4294967295,"l":-9000000000000,)"
        R"("d":0.5,"a":[1,[],{}],"o":{"k":[{"x":[2]}]}})";
    EXPECT_EQ(serialize(parseDocument(text)), R"({"s":"a\"\\\né","t":true,"f":false,"z":null,"i":-7,)"
                                              R"("u":4294967295,"l":-9000000000000,"d":0.5,"a":[1,[],{}],)"
                                              R"("o":{"k":[{"x":[2]}]}})");

    // A value built in memory may be nested far deeper than the parser allows.
    rapidjson::Document deep;
    rapidjson::Value value(rapidjson::kArrayType);
    constexpr int depth = 200000;
    for (int level = 1; level < depth; ++level) {
        rapidjson::Value outer(rapidjson::kArrayType);
        outer.PushBack(value, deep.GetAllocator());
        value = outer;
    }
    EXPECT_EQ(serialize(value), std::string(depth, '[') + std::string(depth, ']'));
}

TEST(JSONDocument, IndentedFormPutsEachMemberOnItsOwnLine)
{
    const auto document = parseDocument(R"({"text":" Hi","segments":[{"id":0,"words":[]},{}],"seekTime":null})");
    EXPECT_EQ(serialize(document, {.indented = true}), "{\n"
                                                       "  \"text\": \" Hi\",\n"
                                                       "  \"segments\": [\n"
                                                       "    {\n"
                                                       "      \"id\": 0,\n"
                                                       "      \"words\": []\n"
                                                       "    },\n"
                                                       "    {}\n"
                                                       "  ],\n"
                                                       "  \"seekTime\": null\n"
                                                       "}");

    const auto numbers = parseDocument("[NaN,-Infinity,0.5]", {.allowNanAndInfinity = true});
    EXPECT_EQ(serialize(numbers, {.allowNanAndInfinity = true, .indented = true}), "[\n  NaN,\n  -Infinity,\n  0.5\n]");
    EXPECT_THROW(serialize(numbers, {.indented = true}), Platform::JSON::WriteError);
}
