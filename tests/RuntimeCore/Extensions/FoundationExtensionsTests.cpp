#include "RuntimeCore/Extensions/FoundationExtensions.h"

#include "Support/TestEnvironment.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace RuntimeCore;

TEST(FoundationExtensions, RoundsHalvesAwayFromZero)
{
    struct Case {
        float value;
        int places;
        float expected;
    };
    const Case cases[] = {
        {0.125f, 2, 0.13f}, {-0.125f, 2, -0.13f}, {2.5f, 0, 3.0f}, {1234.0f, -2, 1200.0f}, {0.3333f, 3, 0.333f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(rounded(c.value, c.places), c.expected) << c.value << " to " << c.places;
}

TEST(FoundationExtensions, ResolvesPathsAgainstHomeAndWorkingFolder)
{
    TestSupport::ScopedEnvironment home("HOME", "/home/someone");
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(resolveAbsolutePath("/models/tiny"), "/models/tiny");
    EXPECT_EQ(resolveAbsolutePath("models"), cwd + "/models");
    EXPECT_EQ(resolveAbsolutePath("models/"), cwd + "/models");
    EXPECT_EQ(resolveAbsolutePath("~"), "/home/someone");
    EXPECT_EQ(resolveAbsolutePath("~/models"), "/home/someone/models");
    EXPECT_EQ(resolveAbsolutePath("~root/models"), "/root/models");
    EXPECT_EQ(resolveAbsolutePath("~no-such-user-here/x"), cwd + "/~no-such-user-here/x");
    TestSupport::ScopedEnvironment rootHome("HOME", "/");
    EXPECT_EQ(resolveAbsolutePath("~"), "/");
    EXPECT_EQ(resolveAbsolutePath("~/models"), "/models");
}

TEST(FoundationExtensions, BatchesAndUniqueElementsKeepOrder)
{
    using Batches = std::vector<std::vector<int>>;
    EXPECT_EQ(batched(std::vector<int> {1, 2, 3, 4, 5}, 2), (Batches {{1, 2}, {3, 4}, {5}}));
    EXPECT_EQ(batched(std::vector<int> {}, 2), Batches {});
    EXPECT_EQ(batched(std::vector<int> {1, 2, 3}, 10), (Batches {{1, 2, 3}}));
    EXPECT_EQ(batched(std::vector<int> {1, 2, 3}, 0), Batches {});
    EXPECT_EQ(batched(std::vector<int> {1, 2, 3}, -1), Batches {});

    EXPECT_EQ(orderedSet(std::vector<std::string> {"b", "a", "b", "c", "a"}),
              (std::vector<std::string> {"b", "a", "c"}));
}

TEST(FoundationExtensions, TrimsAtMostTheGivenCountFromTheEnd)
{
    EXPECT_EQ(trimmingFromEnd("openai_whisper-tiny//", "/", 1), "openai_whisper-tiny/");
    EXPECT_EQ(trimmingFromEnd("openai_whisper-tiny//", "/", 5), "openai_whisper-tiny");
    EXPECT_EQ(trimmingFromEnd("tiny", "/", 5), "tiny");
    EXPECT_EQ(trimmingFromEnd("tiny/", "/", 0), "tiny/");
    EXPECT_EQ(trimmingFromEnd("tiny/", "/", -1), "tiny/");
    EXPECT_EQ(trimmingFromEnd("///", "/", 5), "");
    // A slash carrying a combining mark is another character.
    EXPECT_EQ(trimmingFromEnd("a/\u0301", "/", 5), "a/\u0301");
    EXPECT_EQ(trimmingFromEnd("caf\u00e9\u00e9", "\u00e9", 1), "caf\u00e9");
}

TEST(FoundationExtensions, NaturalBoundaryPrefersSentenceThenClauseThenBlank)
{
    int encodeCalls = 0;
    auto words = [&encodeCalls](std::string_view text) {
        ++encodeCalls;
        std::vector<int> tokens;
        bool inWord = false;
        for (char c : text) {
            if (c != ' ' && !inWord)
                tokens.push_back(0);
            inWord = c != ' ';
        }
        return tokens;
    };
    struct Case {
        const char* text;
        int minTokens;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"  One two three.  ", 3, "One two three."},
        {"One two, three four", 2, "One two,"},
        // The last sentence end is too early: the clause break comes next, never
        // an earlier sentence end.
        {"Hi. One two three. Four five six seven, eight", 5, "Hi. One two three. Four five six seven,"},
        {"Yes. Then we go on and on", 3, "Yes. Then we go on and"},
        {"Yes. No", 5, std::nullopt},
        {"", 0, std::nullopt},
        {"em \u2013 dash then more", 1, "em \u2013"},
    };
    for (const auto& c : cases) {
        encodeCalls = 0;
        EXPECT_EQ(lastNaturalBoundary(c.text, c.minTokens, words), c.expected) << c.text;
        EXPECT_LE(encodeCalls, 3) << c.text;
    }
}

TEST(FoundationExtensions, GlobMatchingIsCaseSensitiveAndCrossesSlashes)
{
    const std::vector<std::string> names = {"openai_whisper-tiny", "distil/whisper-large", "Whisper-base", "other"};
    EXPECT_EQ(matching(names, "*whisper*"), (std::vector<std::string> {"openai_whisper-tiny", "distil/whisper-large"}));
    EXPECT_EQ(matching(names, "other"), std::vector<std::string> {"other"});
    EXPECT_EQ(matching(names, "[unclosed"), std::vector<std::string> {});
}
