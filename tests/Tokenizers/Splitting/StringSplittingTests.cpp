#include "Tokenizers/Splitting/StringSplitting.h"

#include <gtest/gtest.h>

#include <string>

using namespace Tokenizers;

namespace {

std::vector<std::string> strings(const std::vector<std::string_view>& pieces)
{
    return {pieces.begin(), pieces.end()};
}

std::vector<std::string> rangeTexts(std::string_view text, std::string_view pattern, SearchKind kind)
{
    std::vector<std::string> texts;
    for (const Platform::TextRange& range : ranges(text, pattern, kind))
        texts.emplace_back(text.substr(range.begin, range.end - range.begin));
    return texts;
}

} // namespace

TEST(StringSplitting, RangeSearchStepsOverEmptyMatchesOneCharacterAtATime)
{
    const std::string text = "e\u0301\U0001F1E9\U0001F1EA\r\nx";
    const std::vector<Platform::TextRange> expected = {{0, 0}, {3, 3}, {11, 11}, {13, 13}, {14, 14}};
    EXPECT_EQ(ranges(text, "q*", SearchKind::regularExpression), expected);
    EXPECT_EQ(rangeTexts("ab", "a*", SearchKind::regularExpression), (std::vector<std::string>{"a", "", ""}));
}

TEST(StringSplitting, RangeSearchRestartsAfterEachMatchAsOnAFreshText)
{
    // Each search starts where the previous match ended, so an anchored
    // pattern matches again there.
    EXPECT_EQ(rangeTexts("aaa", "^a", SearchKind::regularExpression), (std::vector<std::string>{"a", "a", "a"}));
    EXPECT_EQ(rangeTexts("ab cd", "\\w+", SearchKind::regularExpression), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_TRUE(ranges("abc", "(", SearchKind::regularExpression).empty());
    EXPECT_EQ(rangeTexts("cafe\u0301 caf\u00E9", "\u00E9", SearchKind::plain),
              (std::vector<std::string>{"e\u0301", "\u00E9"}));
}

TEST(StringSplitting, SplitsBySeparators)
{
    const struct {
        const char* text;
        const char* pattern;
        SearchKind kind;
        SplitDelimiterBehavior behavior;
        std::vector<std::string> expected;
    } cases[] = {
        {"a-b-c", "-", SearchKind::plain, SplitDelimiterBehavior::isolated, {"a", "-", "b", "-", "c"}},
        {"a-b-c", "-", SearchKind::plain, SplitDelimiterBehavior::removed, {"a", "b", "c"}},
        {"--a", "-", SearchKind::plain, SplitDelimiterBehavior::isolated, {"-", "-", "a"}},
        {"--a", "-", SearchKind::plain, SplitDelimiterBehavior::removed, {"a"}},
        {"a-b-", "-", SearchKind::plain, SplitDelimiterBehavior::mergedWithPrevious, {"a-", "b-"}},
        {"-a-b", "-", SearchKind::plain, SplitDelimiterBehavior::mergedWithNext, {"-a", "-b"}},
        {"a--b", "-", SearchKind::plain, SplitDelimiterBehavior::mergedWithNext, {"a", "-", "-b"}},
        {"ab", "-", SearchKind::plain, SplitDelimiterBehavior::mergedWithPrevious, {"ab"}},
        {"ab", "-", SearchKind::plain, SplitDelimiterBehavior::mergedWithNext, {"ab"}},
        {"\u2581Hi\u2581you",
         "\u2581",
         SearchKind::regularExpression,
         SplitDelimiterBehavior::mergedWithNext,
         {"\u2581Hi", "\u2581you"}},
        {"a1b22", "\\d+", SearchKind::regularExpression, SplitDelimiterBehavior::isolated, {"a", "1", "b", "22"}},
        // An empty separator splits into characters and is kept when asked for.
        {"ab", "x*", SearchKind::regularExpression, SplitDelimiterBehavior::removed, {"a", "b"}},
        {"ab", "x*", SearchKind::regularExpression, SplitDelimiterBehavior::isolated, {"", "a", "", "b", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(strings(split(c.text, c.pattern, c.kind, c.behavior)), c.expected) << c.text << " by " << c.pattern;

    for (SplitDelimiterBehavior behavior :
         {SplitDelimiterBehavior::removed, SplitDelimiterBehavior::isolated, SplitDelimiterBehavior::mergedWithPrevious,
          SplitDelimiterBehavior::mergedWithNext})
        EXPECT_TRUE(split("", "-", SearchKind::plain, behavior).empty());
}

TEST(StringSplitting, CaptureSplitKeepsTheHighestGroupThatTookPart)
{
    const Platform::Regex addedTokens(R"(\s*(<s>)\s*|(</s>))");
    EXPECT_EQ(strings(split("hi  <s> there</s>", addedTokens)),
              (std::vector<std::string>{"hi", "<s>", "there", "</s>"}));
    EXPECT_EQ(strings(split("<s>x", addedTokens)), (std::vector<std::string>{"<s>", "x"}));
    EXPECT_EQ(strings(split("plain", addedTokens)), (std::vector<std::string>{"plain"}));
    EXPECT_EQ(strings(split("", addedTokens)), (std::vector<std::string>{""}));
    EXPECT_EQ(strings(split("a1b", Platform::Regex(R"(\d)"))), (std::vector<std::string>{"a", "1", "b"}));
}
