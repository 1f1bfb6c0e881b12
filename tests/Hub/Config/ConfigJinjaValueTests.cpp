#include "Hub/Config/Config.h"
#include "Jinja/Runtime/Value.h"

#include <gtest/gtest.h>

using namespace Hub;

namespace {

std::vector<std::string> keysOf(const Jinja::Value& object)
{
    std::vector<std::string> keys;
    for (const Jinja::String& key : object.asObject().keys())
        keys.push_back(key.utf8());
    return keys;
}

} // namespace

TEST(ConfigJinjaValue, ScalarsKeepTheirKindAndFloatsTheirWrittenDigits)
{
    const Jinja::Value tenth = Config(0.1f).jinjaValue();
    ASSERT_TRUE(tenth.isDouble());
    EXPECT_EQ(tenth.asDouble(), 0.1);
    EXPECT_EQ(Config(7).jinjaValue(), Jinja::Value(7));
    EXPECT_EQ(Config(true).jinjaValue(), Jinja::Value(true));
    EXPECT_EQ(Config("x").jinjaValue(), Jinja::Value("x"));
    EXPECT_TRUE(Config().jinjaValue().isNull());
    EXPECT_EQ(Config(Config::Array{Config(1), Config("x")}).jinjaValue(),
              Jinja::Value::array({Jinja::Value(1), Jinja::Value("x")}));
}

TEST(ConfigJinjaValue, ATokenIsAnObjectFromItsIdToItsText)
{
    const Jinja::Value token = Config(Config::Token{42, "x"}).jinjaValue();
    EXPECT_EQ(token, Jinja::Value::object({{"42", Jinja::Value("x")}}));
}

TEST(ConfigJinjaValue, DictionaryKeysComeInCodeUnitOrderAndEquivalentOnesCollapse)
{
    EXPECT_EQ(keysOf(Config(Config::KeyValuePairs{{"b", Config(1)}, {"a", Config(2)}, {"B", Config(3)}}).jinjaValue()),
              (std::vector<std::string>{"B", "a", "b"}));

    // U+00E9 and "e" with U+0301: the decomposed key's units come first, so
    // the precomposed one's value wins.
    const Jinja::Value accented =
        Config(Config::KeyValuePairs{{"\u00e9", Config(1)}, {"e\u0301", Config(2)}, {"f", Config(3)}}).jinjaValue();
    ASSERT_EQ(accented.asObject().count(), 2);
    EXPECT_EQ(keysOf(accented), (std::vector<std::string>{"e\u0301", "f"}));
    EXPECT_EQ(accented.asObject().get(Jinja::String("\u00e9")), Jinja::Value(1));
}
