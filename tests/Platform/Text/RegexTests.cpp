#include "Platform/Text/Regex.h"

#include <gtest/gtest.h>

#include <thread>

using Platform::Regex;

namespace {

struct ReplaceCase {
    const char* pattern;
    const char* text;
    const char* replacementTemplate;
    const char* expected;
    bool caseInsensitive = false;
};

} // namespace

TEST(Regex, ReplaceAllFollowsTheTemplateRules)
{
    const ReplaceCase cases[] = {
        // $n is group n.
        {R"((\d+) dollars?)", "12 dollars and 1 dollar", "$$1", "$12 and $1"},
        {R"((\w+) (\w+))", "ab cd", "$2 $1", "cd ab"},
        {R"((\d+) percent)", "20 percent", "$1%", "20%"},
        {R"(x)", "axb", "[$0]", "a[x]b"},
        // A "$" not followed by a digit stands for itself.
        {R"(a)", "a", "$", "$"},
        {R"(a)", "a", "$x$", "$x$"},
        {R"((a))", "a", "${1}", "${1}"},
        // A backslash makes the next character literal.
        {R"((a))", "a", R"(\$1)", "$1"},
        {R"((a))", "a", R"(\\$1)", R"(\a)"},
        {R"(a)", "a", R"(\n)", "n"},
        // Digits after a group number stay digits when no such group exists.
        {R"((a))", "a", "$10", "a0"},
        {R"((a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k))", "abcdefghijk", "$11$1", "ka"},
        // A group that took no part gives nothing; a group that does not exist too.
        {R"((a)|(b))", "b", "<$1|$2>", "<|b>"},
        {R"(a)", "a", "<$3>", "<>"},
        // All non-overlapping matches, left to right, in one pass.
        {R"(aa)", "aaaaa", "b", "bba"},
        {R"(a)", "aaa", "aa", "aaaaaa"},
        {R"(([.!?]){2,})", "wait... what?!", "$1", "wait. what!"},
        {R"(x*)", "ab", "-", "-a-b-"},
        // No match leaves the text as it was, multi-byte text included.
        {R"(q)", "café ß 👍", "z", "café ß 👍"},
        {R"(é)", "café ß", "e", "cafe ß"},
        // Case-insensitive option.
        {R"(\bum+\b)", "UMMM well Um umbrella", "", " well  umbrella", true},
    };
    for (const ReplaceCase& c : cases) {
        Regex regex(c.pattern, {.caseInsensitive = c.caseInsensitive});
        EXPECT_EQ(regex.replaceAll(c.text, c.replacementTemplate), c.expected)
            << c.pattern << " on \"" << c.text << "\" with \"" << c.replacementTemplate << "\"";
    }
}

TEST(Regex, LiteralPatternsIgnoreRegexSyntax)
{
    Regex literal("e.g.", {.caseInsensitive = true, .literal = true});
    EXPECT_EQ(literal.replaceAll("E.G. or eggs", "x"), "x or eggs");
}

TEST(Regex, MatchesReportGroupsAsByteOffsets)
{
    Regex regex(R"(([.!?])\s+([a-z]))");
    const std::string text = "é. b! C? d";
    const auto matches = regex.matches(text);
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].group(text, 0), ". b");
    EXPECT_EQ(matches[0].groups[2]->begin, 4u); // "é" takes two bytes
    EXPECT_EQ(matches[1].group(text, 1), "?");
    EXPECT_EQ(matches[1].group(text, 2), "d");

    const auto computed = regex.replaceAll(text, [&](const Platform::RegexMatch& m) {
        return std::string(m.group(text, 1)) + "|" + std::string(m.group(text, 2));
    });
    EXPECT_EQ(computed, "é.|b! C?|d");
    EXPECT_FALSE(regex.firstMatch("none here").has_value());
}

TEST(Regex, BadPatternsFailToCompileAndAreSkippedByTheCache)
{
    EXPECT_THROW(Regex("(unclosed"), Platform::RegexError);
    EXPECT_FALSE(Regex::cached("(unclosed").has_value());
    EXPECT_FALSE(Regex::cached("(unclosed").has_value());

    auto first = Regex::cached(R"(\bso\b)", {.caseInsensitive = true});
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->replaceAll("So so", "x"), "x x");
    auto caseSensitive = Regex::cached(R"(\bso\b)");
    ASSERT_TRUE(caseSensitive.has_value());
    EXPECT_EQ(caseSensitive->replaceAll("So so", "x"), "So x");
}

TEST(Regex, OneCompiledPatternServesManyThreads)
{
    const Regex regex(R"((\d+) point (\d))");
    std::vector<std::jthread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i)
                if (regex.replaceAll("3 point 1 and 4 point 2", "$1.$2") != "3.1 and 4.2") ++wrong;
        });
    threads.clear();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(Regex, SearchFromAnOffsetSeesOnlyTheRestOfTheText)
{
    const std::string text = "ab ab";
    Regex anchored("^ab");
    Platform::RegexSearch search(anchored, text);
    ASSERT_TRUE(search.firstMatch(3));
    EXPECT_EQ(search.firstMatch(3)->range(), (Platform::RegexMatch::Range{3, 5}));
    EXPECT_FALSE(search.firstMatch(1));
    EXPECT_FALSE(search.firstMatch(6));

    Regex behind("(?<=a)b");
    Platform::RegexSearch lookBehind(behind, text);
    EXPECT_EQ(lookBehind.firstMatch(0)->range().begin, 1u);
    EXPECT_EQ(lookBehind.firstMatch(4), std::nullopt); // the "a" before lies outside
}
