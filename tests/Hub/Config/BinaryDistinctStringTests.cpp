#include "Hub/Config/BinaryDistinctString.h"
#include "Hub/Config/DictionaryMerge.h"
#include "Hub/HubPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unordered_set>

using namespace Hub;

namespace {

const BinaryDistinctString precomposed(u"\u00E9");
const BinaryDistinctString decomposed(u"e\u0301");

} // namespace

TEST(BinaryDistinctString, KeysCompareCodeUnitsNotCanonicalEquivalence)
{
    EXPECT_NE(precomposed, decomposed);
    EXPECT_EQ(precomposed.string(), "\u00E9");
    EXPECT_EQ(decomposed.string(), "e\u0301");
    EXPECT_EQ(decomposed.count(), 1u);
    EXPECT_EQ(decomposed.value().size(), 2u);
    EXPECT_EQ(BinaryDistinctString("h\u00E9"), BinaryDistinctString(u"h\u00E9"));

    // A set of keys keeps both forms apart, and finds each by its own units.
    const std::unordered_set<BinaryDistinctString> keys{precomposed, decomposed, BinaryDistinctString(u"e\u0301")};
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_TRUE(keys.contains(BinaryDistinctString("e\u0301")));
}

TEST(BinaryDistinctString, CountsCharactersButOrdersByRawUnits)
{
    const BinaryDistinctString emoji("\U0001F600");
    EXPECT_EQ(emoji.value().size(), 2u);
    EXPECT_EQ(emoji.count(), 1u);
    EXPECT_EQ(BinaryDistinctString().count(), 0u);

    // A high surrogate (0xD83D) sorts before U+FF01, unlike the code points.
    EXPECT_LT(emoji, BinaryDistinctString("\uFF01"));
    EXPECT_LT(BinaryDistinctString("A"), BinaryDistinctString("AB"));
    EXPECT_GT(BinaryDistinctString("B"), BinaryDistinctString("AC"));
    EXPECT_FALSE(BinaryDistinctString("A") < BinaryDistinctString("A"));
    EXPECT_LE(BinaryDistinctString("A"), BinaryDistinctString("A"));
}

TEST(BinaryDistinctString, PrefixSuffixConcatenationAndReplacement)
{
    const BinaryDistinctString empty;
    for (const BinaryDistinctString& key : {empty, precomposed, BinaryDistinctString("abc")}) {
        EXPECT_TRUE(key.hasPrefix(empty));
        EXPECT_TRUE(key.hasSuffix(empty));
    }
    const BinaryDistinctString key("abc");
    EXPECT_TRUE(key.hasPrefix("ab"));
    EXPECT_FALSE(key.hasPrefix("abcd"));
    EXPECT_TRUE(key.hasSuffix("bc"));
    EXPECT_FALSE(key.hasSuffix("ab"));
    EXPECT_FALSE(BinaryDistinctString("\u00E9x").hasPrefix(BinaryDistinctString(u"e")));

    EXPECT_EQ(BinaryDistinctString("e") + BinaryDistinctString(u"\u0301"), decomposed);
    EXPECT_EQ(BinaryDistinctString("a-b-c").replacingOccurrences("-", "--"), BinaryDistinctString("a--b--c"));
    EXPECT_EQ(BinaryDistinctString("abc").replacingOccurrences("", "x"), BinaryDistinctString("abc"));
    // The precomposed letter is not an occurrence of the decomposed one.
    EXPECT_EQ(precomposed.replacingOccurrences(decomposed, "e"), precomposed);
    EXPECT_EQ(BinaryDistinctString("\u00C9COLE I").lowercased(), BinaryDistinctString("\u00E9cole i"));
}

TEST(BinaryDistinctString, IndicesAndSlicesCountCharacters)
{
    const BinaryDistinctString hello("h\u00E9llo");
    EXPECT_EQ(hello.index(0, 5), 5);
    EXPECT_EQ(hello.index(3, 2, 4), std::nullopt);
    EXPECT_EQ(hello.index(3, 1, 4), 4);
    EXPECT_THROW(hello.index(3, 3), IndexOutOfBounds);
    EXPECT_THROW(hello.index(0, -1), IndexOutOfBounds);

    EXPECT_EQ(hello.slice(1, 3), BinaryDistinctString("\u00E9l"));
    EXPECT_EQ(hello.slice(0, 5), hello);
    EXPECT_EQ(hello.slice(2, 2), BinaryDistinctString());
    EXPECT_EQ(BinaryDistinctString(u"e\u0301x").slice(1), BinaryDistinctString("x"));
    EXPECT_EQ(BinaryDistinctString("\U0001F600ab").slice(1), BinaryDistinctString("ab"));
    EXPECT_EQ(BinaryDistinctString().slice(0), BinaryDistinctString());
    try {
        hello.slice(-1, 2);
        FAIL();
    } catch (const IndexOutOfBounds& error) {
        EXPECT_STREQ(error.what(), "Index out of bounds");
    }
    EXPECT_THROW(hello.slice(4, 6), IndexOutOfBounds);
}

TEST(BinaryDistinctString, IteratesCharactersWithTheirUnits)
{
    const std::vector<BinaryDistinctCharacter> characters = BinaryDistinctString(u"e\u0301\U0001F600a").characters();
    ASSERT_EQ(characters.size(), 3u);
    EXPECT_EQ(characters[0].bytes(), u"e\u0301");
    EXPECT_EQ(characters[1], BinaryDistinctCharacter("\U0001F600"));
    EXPECT_EQ(BinaryDistinctString(characters), BinaryDistinctString(u"e\u0301\U0001F600a"));
    EXPECT_EQ(BinaryDistinctString(characters[2]), BinaryDistinctString("a"));

    EXPECT_EQ(BinaryDistinctCharacter("A").description(), "BinaryDistinctCharacter('A', bytes: [\"0x41\"])");
    EXPECT_EQ(BinaryDistinctCharacter(u"e\u0301").description(),
              "BinaryDistinctCharacter('e\u0301', bytes: [\"0x65\", \"0x301\"])");
    EXPECT_EQ(std::hash<BinaryDistinctCharacter>{}(characters[2]), BinaryDistinctString("a").hashValue());
}

TEST(BinaryDistinctString, KeepsUnpairedSurrogatesAsGiven)
{
    const BinaryDistinctString lone(std::u16string{u'a', char16_t(0xD800)});
    EXPECT_EQ(lone.value().size(), 2u);
    EXPECT_EQ(lone.string(), "a\uFFFD");
    EXPECT_EQ(lone.count(), 2u);
    EXPECT_NE(lone, BinaryDistinctString("a\uFFFD"));
}

TEST(DictionaryMerge, StrategyDecidesSharedKeysAndTextKeysAreConverted)
{
    const auto larger = [](int current, int incoming) { return std::max(current, incoming); };
    std::unordered_map<BinaryDistinctString, int> dictionary{{"a", 2}};
    merge(dictionary, std::unordered_map<BinaryDistinctString, int>{{"a", 1}, {"b", 5}}, larger);
    EXPECT_EQ(dictionary, (std::unordered_map<BinaryDistinctString, int>{{"a", 2}, {"b", 5}}));

    const auto merged = merging(dictionary, std::unordered_map<std::string, int>{{"\u00E9", 7}, {"a", 9}}, larger);
    EXPECT_EQ(merged.at(precomposed), 7);
    EXPECT_EQ(merged.at("a"), 9);
    EXPECT_EQ(dictionary.size(), 2u);

    merge(dictionary, std::unordered_map<std::u16string, int>{{u"e\u0301", 3}}, larger);
    EXPECT_EQ(dictionary.at(decomposed), 3);
    EXPECT_FALSE(dictionary.contains(precomposed));
}
