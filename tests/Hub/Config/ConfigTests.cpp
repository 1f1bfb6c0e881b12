#include "Hub/Config/Config.h"
#include "Hub/HubPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Hub;

namespace {

Config array(Config::Array elements)
{
    return Config(std::move(elements));
}

} // namespace

TEST(Config, EqualityAcrossCases)
{
    const struct {
        Config left;
        Config right;
        bool equal;
    } cases[] = {
        {1, true, true},
        {2, false, true},
        {0, false, true},
        {-1, true, false},
        {"TRUE", true, true},
        {"f", false, true},
        {"yes", true, false},
        {"yes", false, false},
        {1, 1.0f, true},
        {16777217, 16777216.0f, true}, // the integer as its nearest float
        {1.0f, true, false},
        {"1", 1, false},
        {"1", 1.0f, false},
        {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::quiet_NaN(), false},
        {-0.0f, 0.0f, true},
        {Config(), Config(), true},
        {Config(), false, false},
        {Config::Token{5, "x"}, Config::Token{5, "x"}, true},
        {Config::Token{5, "x"}, array({"x", 5}), false},
        {array({1, "a"}), array({true, "a"}), true},
        {array({1}), array({1, 1}), false},
        {Config::Dictionary{{"a", 1}}, Config::Dictionary{{"a", 1.0f}}, true},
        {Config::Dictionary{{"a", 1}}, Config::Dictionary{{"b", 1}}, false},
        {Config::Dictionary{{BinaryDistinctString(u"\u00E9"), 1}},
         Config::Dictionary{{BinaryDistinctString(u"e\u0301"), 1}}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.left == c.right, c.equal) << c.left.description() << " vs " << c.right.description();
        EXPECT_EQ(c.right == c.left, c.equal) << c.right.description() << " vs " << c.left.description();
    }
}

TEST(Config, HashingFeedsCaseAndPayload)
{
    const Config dictionary(Config::KeyValuePairs{{"a", 1}, {"b", array({"x", 2.5f})}});
    const Config sameInOtherOrder(Config::KeyValuePairs{{"b", array({"x", 2.5f})}, {"a", 1}});
    EXPECT_EQ(dictionary.hashValue(), sameInOtherOrder.hashValue());
    EXPECT_EQ(Config(-0.0f).hashValue(), Config(0.0f).hashValue());
    // Equal across cases, hashed apart.
    EXPECT_NE(Config(1).hashValue(), Config(true).hashValue());
    EXPECT_NE(Config(2).hashValue(), Config(2.0f).hashValue());
    EXPECT_NE(array({1, 2}).hashValue(), array({2, 1}).hashValue());
}

TEST(Config, TypedViewsGiveNothingOrTheDefault)
{
    EXPECT_EQ(Config(1.5f).integer(), std::nullopt);
    EXPECT_EQ(Config(1.5f).integer(7), 7);
    EXPECT_EQ(Config("3").integer(), std::nullopt);
    EXPECT_EQ(Config(3).floating(), 3.0f);
    EXPECT_EQ(Config("3").floating(), std::nullopt);
    EXPECT_EQ(Config(3).string(), std::nullopt);
    EXPECT_EQ(Config(3).string("none"), "none");
    EXPECT_EQ(Config("s").get<std::string>(), "s");
    EXPECT_EQ(Config().get(BinaryDistinctString("k")), BinaryDistinctString("k"));

    const struct {
        Config value;
        std::optional<bool> boolean;
    } booleans[] = {
        {"T", true}, {"0", false}, {"", std::nullopt}, {1.0f, std::nullopt},
        {2, false},  {1, true},    {true, true},       {Config(), std::nullopt},
    };
    for (const auto& c : booleans)
        EXPECT_EQ(c.value.boolean(), c.boolean) << c.value.description();
    EXPECT_TRUE(Config("maybe").boolean(true));

    const struct {
        Config value;
        std::optional<Config::Token> token;
    } tokens[] = {
        {array({"s", 5}), Config::Token{5, "s"}},
        {array({5, "s"}), std::nullopt},
        {array({"s", -5}), std::nullopt},
        {array({"s", 5, 6}), std::nullopt},
        {array({"s", 5.0f}), std::nullopt},
        {Config::Token{42, "x"}, Config::Token{42, "x"}},
        {"s", std::nullopt},
    };
    for (const auto& c : tokens)
        EXPECT_EQ(c.value.token(), c.token) << c.value.description();

    const Config mixed = array({1, "a", Config(), "b"});
    EXPECT_EQ(mixed.get<std::vector<std::string>>(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(mixed.get<std::vector<BinaryDistinctString>>(), (std::vector<BinaryDistinctString>{"a", "b"}));
    EXPECT_EQ(Config("a").get<std::vector<std::string>>(), std::nullopt);
    EXPECT_EQ(Config("a").get(std::vector<std::string>{"z"}), std::vector<std::string>{"z"});
    EXPECT_EQ(mixed.array()->size(), 4u);
    EXPECT_EQ(Config(1).array(Config::Array{}).size(), 0u);

    const Config dictionary(Config::KeyValuePairs{{"a", 1}, {"b", "2"}, {"c", 3}});
    using Integers = std::unordered_map<BinaryDistinctString, std::int64_t>;
    EXPECT_EQ(dictionary.get<Integers>(), (Integers{{"a", 1}, {"c", 3}}));
    EXPECT_EQ(dictionary.dictionary()->size(), 3u);
    EXPECT_EQ(mixed.dictionary(), std::nullopt);
}

TEST(Config, LookupsRetryTheSnakeCaseKey)
{
    const Config both(Config::KeyValuePairs{{"model_type", "snake"}, {"modelType", "camel"}});
    const Config snakeOnly(Config::KeyValuePairs{{"model_type", "snake"}});
    EXPECT_EQ(both.member("modelType"), Config("camel"));
    EXPECT_EQ(snakeOnly.member("modelType"), Config("snake"));
    EXPECT_EQ(snakeOnly["modelType"], Config("snake"));
    EXPECT_TRUE(snakeOnly.member("missing").isNull());
    EXPECT_EQ(snakeOnly.optionalMember("missing"), Config());

    const Config three = array({1, 2, 3});
    EXPECT_TRUE(three.member("modelType").isNull());
    EXPECT_EQ(three.optionalMember("modelType"), std::nullopt);
    EXPECT_EQ(three[2], Config(3));
    EXPECT_TRUE(three[5].isNull());
    EXPECT_TRUE(three[-1].isNull());
    EXPECT_TRUE(snakeOnly[0].isNull());

    // A repeated key keeps the value given last.
    EXPECT_EQ(Config(Config::KeyValuePairs{{"k", 1}, {"k", 2}})["k"], Config(2));
}

TEST(Config, UncamelCase)
{
    const struct {
        const char* key;
        const char* snake;
    } cases[] = {
        {"modelType", "model_type"},
        {"addBosToken", "add_bos_token"},
        {"bos2Token", "bos2_token"},
        {"Model", "model"},
        {"ABCDef", "abcdef"},
        {"useABCDef", "use_abcdef"},
        {"model_type", "model_type"},
        {"", ""},
        {"caf\u00C9Name", "caf_\u00E9name"},
        // A capital outside the BMP is one letter of two code units; it has no lower case.
        {"x\U0001D400y", "x_\U0001D400y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Config::uncamelCase(c.key), BinaryDistinctString(c.snake)) << c.key;
}

TEST(Config, TextForms)
{
    EXPECT_EQ(Config(Config::Dictionary{}).description(), "{[:]}");
    EXPECT_EQ(array({}).description(), "[[]]");
    EXPECT_EQ(Config().description(), "null");
    EXPECT_EQ(array({"a", 1, true, 0.5f, 2.0f, 0.1f}).description(), "[[\"a\", 1, true, 0.5, 2.0, 0.1]]");
    EXPECT_EQ(Config(Config::Token{5, "x"}).description(), "(5, x)");
    EXPECT_EQ(Config(Config::KeyValuePairs{{"k", array({Config()})}}).description(), "{[k: [[null]]]}");
}

TEST(Config, DictionariesKeyedByTextKeepEveryCodeUnit)
{
    const Config fromText(std::unordered_map<std::string, Config>{{"\u00E9", 1}, {"e\u0301", 2}});
    EXPECT_EQ(fromText.dictionary()->size(), 2u);
    EXPECT_EQ(fromText[BinaryDistinctString(u"e\u0301")], Config(2));
    const Config fromUnits(std::unordered_map<std::u16string, Config>{{u"\u00E9", 1}});
    EXPECT_EQ(fromUnits, Config(Config::Dictionary{{BinaryDistinctString(u"\u00E9"), 1}}));
}
