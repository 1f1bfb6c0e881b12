#include "RadozodEri/Utilities/Extensions.h"

#include "RadozodEri/Utilities/WhisperError.h"

#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <utility>
#include <vector>

using namespace RadozodEri;

TEST(EngineExtensions, OptionalArraysKeepOrderAndDropErrors)
{
    auto result = std::make_shared<TranscriptionResult>("a", std::vector<TranscriptionSegment> {}, "en",
                                                        TranscriptionTimings {});
    const std::vector<TranscriptionOutcome> outcomes = {
        std::vector {result},
        std::make_exception_ptr(WhisperError::loadAudioFailed("missing")),
        std::vector<std::shared_ptr<TranscriptionResult>> {},
    };
    const auto arrays = toOptionalArrays(outcomes);
    ASSERT_EQ(arrays.size(), 3u);
    EXPECT_EQ(arrays[0], std::vector {result});
    EXPECT_FALSE(arrays[1]);
    EXPECT_EQ(arrays[2], std::vector<std::shared_ptr<TranscriptionResult>> {});
}

TEST(EngineExtensions, ContainsComparesStartTimesOnly)
{
    const std::vector<TranscriptionSegment> segments = {{.start = 1, .text = "one"}, {.start = 2, .text = "two"}};
    EXPECT_TRUE(contains(segments, {.start = 2, .text = "other"}));
    EXPECT_FALSE(contains(segments, {.start = 3, .text = "one"}));
}

TEST(EngineExtensions, TextForms)
{
    EXPECT_EQ(normalized("  Hello-World,   it's  me!\n"), "hello world its me");
    EXPECT_EQ(normalized("Ünïcode — «QUOTED» ¿sí?"), "ünïcode quoted sí");

    const std::pair<const char*, const char*> trimmed[] = {
        {"<|en|>", "en"}, {"a<b", "a<b"}, {"<|>", ""}, {"", ""}, {"|<|0.00|>|", "0.00"}};
    for (const auto& [text, expected] : trimmed)
        EXPECT_EQ(trimmingSpecialTokenCharacters(text), expected) << text;
    EXPECT_FALSE(isRunningOnSimulator);
}
