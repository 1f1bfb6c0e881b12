#include "RadozodEri/Core/Text/SegmentSeeker.h"
#include "RadozodEri/Doubles/WindowTokenizer.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using namespace TestSupport;

namespace {

constexpr std::int64_t window = 480000;

DecodingResult decoded(std::vector<int> tokens)
{
    DecodingResult result;
    for (std::size_t index = 0; index < tokens.size(); ++index)
        result.tokenLogProbs.push_back({{tokens[index], -0.1f * static_cast<float>(index)}});
    result.tokens = std::move(tokens);
    result.temperature = 0.2f;
    result.avgLogProb = -0.5f;
    result.noSpeechProb = 0.1f;
    result.compressionRatio = 1.5f;
    return result;
}

struct ExpectedSegment {
    float start;
    float end;
    std::size_t fromToken;
    std::size_t toToken;
    std::string text;
};

} // namespace

TEST(SegmentSeeker, CutsWindowsAtTimestampPairsAndFindsTheNextSeek)
{
    const auto tokenizer = windowTokenizer();
    const std::vector<int> prompt{startOfTranscript, english, transcribe, ts(0)};
    const auto window1 = [&](std::vector<int> rest) {
        rest.insert(rest.begin(), prompt.begin(), prompt.end());
        return rest;
    };
    struct Case {
        const char* name;
        std::vector<int> tokens;
        std::int64_t currentSeek;
        std::int64_t nextSeek;
        std::vector<ExpectedSegment> segments;
    };
    const Case cases[] = {
        {"no pair: one segment to the last timestamp",
         window1({hello, world, ts(150), endOfText}),
         0,
         window,
         {{0.0f, 3.0f, 0, 8, " Hello world"}}},
        {"no pair, no timestamp: the whole window",
         window1({hello, endOfText}),
         0,
         window,
         {{0.0f, 30.0f, 0, 6, " Hello"}}},
        {"a pair and a single timestamp ending",
         window1({hello, ts(100), ts(100), world, ts(200), endOfText}),
         16000,
         16000 + 64000,
         {{1.0f, 3.0f, 0, 6, " Hello"}, {3.0f, 5.0f, 6, 9, " world"}}},
        {"a pair ending re-reads from its timestamp",
         window1({hello, ts(100), ts(100), world, ts(200), ts(200), endOfText}),
         0,
         64000,
         {{0.0f, 2.0f, 0, 6, " Hello"}, {2.0f, 4.0f, 6, 9, " world"}}},
        {"no timestamp ending",
         window1({hello, ts(100), ts(100), world, comma, endOfText}),
         0,
         window,
         {{0.0f, 2.0f, 0, 6, " Hello"}, {2.0f, 2.0f, 6, 10, " world,"}}},
    };
    SegmentSeeker seeker;
    for (const Case& c : cases) {
        const DecodingResult result = decoded(c.tokens);
        const auto [nextSeek, segments] =
            seeker.findSeekPointAndSegments(result, DecodingOptions{.skipSpecialTokens = true}, 7, c.currentSeek,
                                            window, 16000, ts(0), endOfText, tokenizer);
        EXPECT_EQ(nextSeek, c.nextSeek) << c.name;
        ASSERT_TRUE(segments) << c.name;
        ASSERT_EQ(segments->size(), c.segments.size()) << c.name;
        for (std::size_t index = 0; index < c.segments.size(); ++index) {
            const TranscriptionSegment& segment = (*segments)[index];
            const ExpectedSegment& expected = c.segments[index];
            const std::vector<int> tokens(c.tokens.begin() + static_cast<std::ptrdiff_t>(expected.fromToken),
                                          c.tokens.begin() + static_cast<std::ptrdiff_t>(expected.toToken));
            EXPECT_EQ(segment.id, 7 + static_cast<std::int64_t>(index)) << c.name;
            EXPECT_EQ(segment.seek, c.currentSeek) << c.name;
            EXPECT_FLOAT_EQ(segment.start, expected.start) << c.name;
            EXPECT_FLOAT_EQ(segment.end, expected.end) << c.name;
            EXPECT_EQ(segment.tokens, tokens) << c.name;
            EXPECT_EQ(segment.tokenLogProbs.front(), result.tokenLogProbs[expected.fromToken]) << c.name;
            EXPECT_EQ(segment.text, expected.text) << c.name;
            EXPECT_EQ(segment.temperature, 0.2f) << c.name;
            EXPECT_EQ(segment.compressionRatio, 1.5f) << c.name;
            EXPECT_FALSE(segment.words) << c.name;
        }
    }
}

TEST(SegmentSeeker, SkipsSilenceUnlessTheWindowIsLikelyEnough)
{
    const auto tokenizer = windowTokenizer();
    DecodingResult result = decoded({startOfTranscript, ts(0), hello, ts(50), endOfText});
    result.noSpeechProb = 0.7f;
    const DecodingOptions options{.logProbThreshold = -1.0f, .noSpeechThreshold = 0.6f};
    SegmentSeeker seeker;

    result.avgLogProb = -0.5f;
    const auto kept =
        seeker.findSeekPointAndSegments(result, options, 0, 0, window, 16000, ts(0), endOfText, tokenizer);
    ASSERT_EQ(kept.second->size(), 1u);
    EXPECT_EQ(kept.second->front().text, "<|startoftranscript|><|0.00|> Hello<|endoftext|>");

    result.avgLogProb = -1.5f;
    const auto skipped =
        seeker.findSeekPointAndSegments(result, options, 0, 32000, window, 16000, ts(0), endOfText, tokenizer);
    EXPECT_EQ(skipped.first, 32000 + window);
    EXPECT_EQ(skipped.second, std::vector<TranscriptionSegment>{});
}

TEST(SegmentSeeker, RefusesAWindowWithFewerLogProbabilitiesThanTokens)
{
    DecodingResult result = decoded({startOfTranscript, ts(0), hello, ts(50), endOfText});
    result.tokenLogProbs.pop_back();
    try {
        SegmentSeeker().findSeekPointAndSegments(result, {}, 0, 0, window, 16000, ts(0), endOfText, windowTokenizer());
        ADD_FAILURE();
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperError::Kind::segmentingFailed);
        EXPECT_STREQ(error.what(), "The window has 5 tokens but 4 log probabilities");
    }
}
