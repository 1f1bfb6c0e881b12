#include "Platform/Text/CanonicalSearch.h"

#include <gtest/gtest.h>

using Platform::TextRange;

TEST(CanonicalSearch, MatchesCanonicallyEquivalentTextOnly)
{
    const struct {
        const char* text;
        const char* pattern;
        std::vector<TextRange> expected;
    } cases[] = {
        {"a-b-c", "-", {{1, 2}, {3, 4}}},
        {"aaaa", "aa", {{0, 2}, {2, 4}}},
        {"abc", "", {}},
        {"", "a", {}},
        {"ABC", "b", {}}, // case matters
        // Composed and decomposed forms match each other both ways.
        {"caf\u00E9!", "e\u0301", {{3, 5}}},
        {"cafe\u0301!", "\u00E9", {{3, 6}}},
        // Marks in another canonical order are the same text.
        {"xq\u0307\u0323y", "q\u0323\u0307", {{1, 6}}},
        // A letter is not found without the marks that belong to it...
        {"cafe\u0301", "e", {}},
        {"caf\u00E9", "e", {}},
        {"a \u0301b", " ", {}},
        // ...and a match never takes a mark from the next letter.
        {"\u00E9e\u0301\u00E9", "\u00E9", {{0, 2}, {2, 5}, {5, 7}}},
        // Compatibility forms are different text.
        {"\uFB01", "fi", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Platform::canonicalMatches(c.text, c.pattern), c.expected) << c.text << " / " << c.pattern;
}

TEST(CanonicalSearch, ReplacesEveryMatch)
{
    EXPECT_EQ(Platform::replacingCanonicalMatches("a b  c", " ", "\u2581"), "a\u2581b\u2581\u2581c");
    EXPECT_EQ(Platform::replacingCanonicalMatches("cafe\u0301 caf\u00E9", "\u00E9", "e"), "cafe cafe");
    EXPECT_EQ(Platform::replacingCanonicalMatches("abc", "", "x"), "abc");
}
