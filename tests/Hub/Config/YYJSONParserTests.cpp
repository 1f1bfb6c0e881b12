#include "Hub/Config/YYJSONParser.h"
#include "Hub/HubPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Hub;
using YYJSONParser::ParseError;
using YYJSONParser::parseToConfig;

namespace {

ParseError failureOf(const std::string& json)
{
    try {
        parseToConfig(json);
    } catch (const ParseError& error) {
        return error;
    }
    ADD_FAILURE() << json.substr(0, 40) << " was read";
    return ParseError::nullDocument();
}

} // namespace

TEST(YYJSONParser, EmptyInputAndReaderErrorsKeepCodeMessageAndPosition)
{
    const ParseError empty = failureOf("");
    EXPECT_STREQ(empty.what(), "yyjson read failed (code 0) at position 0: empty data");
    EXPECT_EQ(empty.kind(), ParseError::Kind::readFailed);

    const ParseError truncated = failureOf(R"({"a": [1, 2)");
    EXPECT_EQ(std::string(truncated.what()).rfind("yyjson read failed (code ", 0), 0u) << truncated.what();
    EXPECT_EQ(truncated.what(), "yyjson read failed (code " + std::to_string(truncated.code()) + ") at position " +
                                    std::to_string(truncated.position()) + ": " + truncated.message());
    EXPECT_EQ(truncated.position(), 11);
    EXPECT_NE(truncated.code(), 0u);
    EXPECT_STREQ(ParseError::nullDocument().what(), "yyjson returned null document");
}

TEST(YYJSONParser, RefusesWhatIsNotOneStrictDocument)
{
    const std::string cases[] = {
        "[1, 2,]",
        R"({"a": 1,})",
        "// note\n{}",
        "{} /* note */",
        R"({"a": 1} {"b": 2})",
        "[\"caf\xE9\"]",
        std::string(300, '[') + std::string(300, ']'),
        "'single'",
    };
    for (const std::string& json : cases)
        EXPECT_EQ(failureOf(json).kind(), ParseError::Kind::readFailed) << json.substr(0, 40);
    EXPECT_EQ(parseToConfig(std::string(256, '[') + std::string(256, ']'))[0].array()->size(), 1u);
}

TEST(YYJSONParser, ValuesMapToTheirCases)
{
    const Config root = parseToConfig(R"({
        "one": 1, "minus": -1, "real": 1.0, "tenth": 0.1, "largest": 9223372036854775807,
        "unsigned": 18446744073709551615, "nan": NaN, "inf": -Infinity, "yes": true, "no": false,
        "nothing": null, "text": "h\u00e9", "list": [1, "x", [], {}]
    })");
    EXPECT_EQ(root["one"].value().kind(), Config::Data::Case::integer);
    EXPECT_EQ(root["minus"].integer(), -1);
    EXPECT_EQ(root["real"].value().kind(), Config::Data::Case::floating);
    EXPECT_EQ(root["tenth"].floating(), 0.1f);
    EXPECT_EQ(root["largest"].integer(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(root["unsigned"].value().kind(), Config::Data::Case::floating);
    EXPECT_EQ(root["unsigned"].floating(), 18446744073709551615.0f);
    EXPECT_TRUE(std::isnan(*root["nan"].floating()));
    EXPECT_EQ(root["inf"].floating(), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(root["yes"].value().kind(), Config::Data::Case::boolean);
    EXPECT_EQ(root["no"].boolean(), false);
    EXPECT_EQ(root["nothing"].value().kind(), Config::Data::Case::null);
    EXPECT_EQ(root["text"].binaryDistinctString(), BinaryDistinctString(u"h\u00E9"));
    EXPECT_EQ(root["list"], Config(Config::Array{1, "x", Config::Array{}, Config::Dictionary{}}));
}

TEST(YYJSONParser, KeysAndTextsKeepTheirCodeUnits)
{
    const Config root = parseToConfig(R"({"a\u0000b": "c\u0000d", "k": 1, "k": 2, "\u00e9": "nfc", "e\u0301": "nfd"})");
    EXPECT_EQ(root.dictionary()->size(), 4u);
    EXPECT_EQ(root["a"], Config("c"));
    EXPECT_EQ(root["k"], Config(2));
    EXPECT_EQ(root[BinaryDistinctString(u"\u00E9")], Config("nfc"));
    EXPECT_EQ(root[BinaryDistinctString(u"e\u0301")], Config("nfd"));
}
