#include "RadozodEri/Core/Text/LanguageLogitsFilter.h"
#include "RadozodEri/Core/Text/SuppressBlankFilter.h"
#include "RadozodEri/Core/Text/SuppressTokensFilter.h"
#include "RadozodEri/Core/Text/TimestampRulesFilter.h"
#include "RadozodEri/Doubles/StepLogits.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace RadozodEri;
using TestSupport::maskedTokens;
using TestSupport::stepLogits;

namespace {

// Text tokens 0…9 (2 is the space), special tokens from 10, timestamps
// ts(0) = 16 to ts(13) = 29.
enum : int { space = 2, eot = 10, sot = 11, english = 12, transcribe = 13, translate = 14, noTimestamps = 15, tb = 16 };
constexpr int vocabulary = 30;

constexpr int ts(int step)
{
    return tb + step;
}

SpecialTokens specialTokens()
{
    SpecialTokens tokens;
    tokens.endToken = eot;
    tokens.englishToken = english;
    tokens.noTimestampsToken = noTimestamps;
    tokens.specialTokenBegin = eot;
    tokens.startOfTranscriptToken = sot;
    tokens.timeTokenBegin = tb;
    tokens.transcribeToken = transcribe;
    tokens.translateToken = translate;
    tokens.whitespaceToken = space;
    return tokens;
}

// Every text token likelier than all timestamps together, or the reverse.
std::vector<float> scores(bool timestampsLikelier)
{
    std::vector<float> values(vocabulary, timestampsLikelier ? -10.0f : 0.0f);
    for (int token = tb; token < vocabulary; ++token)
        values[token] = timestampsLikelier ? 0.0f : -10.0f;
    return values;
}

std::vector<int> range(int begin, int end)
{
    std::vector<int> ids(static_cast<std::size_t>(end - begin));
    std::iota(ids.begin(), ids.end(), begin);
    return ids;
}

std::vector<int> joined(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<int> masking(LogitsFiltering& filter, const std::vector<int>& tokens, bool timestampsLikelier = false)
{
    auto logits = stepLogits(scores(timestampsLikelier));
    const auto returned = filter.filterLogits(logits, tokens);
    EXPECT_TRUE(returned.isSameArray(logits));
    return maskedTokens(logits);
}

} // namespace

TEST(LogitsFilters, TimestampRulesKeepTimestampsPairedAndRising)
{
    struct Case {
        const char* name;
        bool multilingual;
        std::vector<int> tokens;
        bool timestampsLikelier;
        std::vector<int> masked;
    };
    const std::vector<int> prompt{sot, english, transcribe};
    const Case cases[] = {
        {"before sampling begins", false, {sot, english}, false, {}},
        {"at the first sampled token", false, prompt, false, {noTimestamps}},
        {"timestamps likelier force one", false, prompt, true, range(0, tb)},
        {"after text and ts(5): ts(5) and up or the end", false, joined({prompt, {4, ts(5)}}), false,
         joined({range(0, eot), {noTimestamps}, range(tb, ts(5))})},
        {"after a pair: no timestamp", false, joined({prompt, {4, ts(5), ts(5)}}), false,
         joined({{noTimestamps}, range(tb, vocabulary)})},
        {"a single sampled timestamp counts as a pair", false, joined({prompt, {ts(5)}}), false,
         joined({{noTimestamps}, range(tb, vocabulary)})},
        {"after ts(3) and text: above ts(3)", false, joined({prompt, {ts(3), 4}}), false,
         joined({{noTimestamps}, range(tb, ts(3) + 1)})},
        {"multilingual, task token third", true, joined({prompt, {ts(3), 4}}), false,
         joined({{noTimestamps}, range(tb, ts(3) + 1)})},
        {"multilingual, translate second: the constructed begin still holds",
         true,
         {sot, translate, 4},
         false,
         {noTimestamps}},
        {"multilingual, task token fourth: no rules", true, {sot, english, 4, transcribe, ts(3), 4}, false, {}},
        {"multilingual, no tokens", true, {}, false, {}},
    };
    for (const Case& c : cases) {
        TimestampRulesFilter filter(specialTokens(), 3, std::nullopt, c.multilingual);
        EXPECT_EQ(masking(filter, c.tokens, c.timestampsLikelier), c.masked) << c.name;
    }
}

TEST(LogitsFilters, BlankAndFixedTokensAreSuppressed)
{
    SuppressBlankFilter blank(specialTokens(), 3);
    EXPECT_EQ(masking(blank, {sot, english, transcribe}), (std::vector<int>{space, eot}));
    EXPECT_EQ(masking(blank, {sot, english, transcribe, 4}), std::vector<int>{});

    // Ids outside the vocabulary cannot be sampled anyway.
    SuppressTokensFilter fixed({5, 1, vocabulary, -1});
    EXPECT_EQ(masking(fixed, {}), (std::vector<int>{1, 5}));
}

TEST(LogitsFilters, LanguageFilterLeavesOnlyLanguagesFromItsBegin)
{
    LanguageLogitsFilter languages({english, 14}, vocabulary, 4);
    EXPECT_EQ(masking(languages, {sot, english, transcribe}), std::vector<int>{});
    EXPECT_EQ(masking(languages, {sot, english, transcribe, 4}),
              joined({range(0, english), {transcribe}, range(15, vocabulary)}));
    EXPECT_THROW(LanguageLogitsFilter({}, -1, 0), std::invalid_argument);
}

TEST(LogitsFilters, RefuseLogitsOfAnotherShape)
{
    SuppressTokensFilter fixed({1});
    try {
        fixed.filterLogits(
            Platform::CoreML::MLMultiArray({1, vocabulary}, Platform::CoreML::MLMultiArrayDataType::float16),
            std::vector<int>{});
        ADD_FAILURE();
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperError::Kind::decodingLogitsFailed);
        EXPECT_STREQ(error.what(),
                     "Logits must be 16-bit floats shaped [1, 1, V] with V at least 1, not float16 [1, 30]");
    }
}
