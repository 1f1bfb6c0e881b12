#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/Text/SegmentSeeker.h"
#include "RadozodEri/Doubles/WindowTokenizer.h"
#include "RadozodEri/Utilities/WhisperError.h"

#include "Platform/CoreML/MLShapedArray.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using namespace TestSupport;

namespace {

WordTiming word(std::string text, float start, float end, std::vector<int> tokens = {}, float probability = 0.5f)
{
    return {std::move(text), std::move(tokens), start, end, probability};
}

std::vector<std::string> texts(const std::vector<WordTiming>& words)
{
    std::vector<std::string> result;
    for (const auto& timing : words)
        result.push_back(timing.word);
    return result;
}

TranscriptionSegment segment(float start, float end, std::vector<int> tokens)
{
    TranscriptionSegment made{.start = start, .end = end, .tokens = tokens};
    for (int token : tokens)
        made.tokenLogProbs.push_back({{token, -0.1f}});
    return made;
}

} // namespace

TEST(WordTimestamps, DurationConstraintsAndSentenceEndTruncation)
{
    struct Case {
        std::vector<float> durations;
        float median;
    };
    const Case cases[] = {{{0.2f, 0.0f, 0.4f, 1.2f}, 0.4f}, {{0.0f, 0.0f}, 0.0f}, {{1.0f}, 0.7f}, {{}, 0.0f}};
    for (const Case& c : cases) {
        std::vector<WordTiming> words;
        for (float duration : c.durations)
            words.push_back(word(" a", 1.0f, 1.0f + duration));
        const auto [median, max] = SegmentSeeker::calculateWordDurationConstraints(words);
        EXPECT_FLOAT_EQ(median, c.median);
        EXPECT_FLOAT_EQ(max, 2 * c.median);
    }

    const auto truncated = SegmentSeeker::truncateLongWordsAtSentenceBoundaries(
        {word(".", 0.0f, 2.0f), word(" a", 2.0f, 4.0f), word(".", 4.0f, 6.0f), word(" b", 6.0f, 6.5f)}, 0.8f);
    EXPECT_EQ(truncated, (std::vector<WordTiming>{word(".", 0.0f, 2.0f), word(" a", 3.2f, 4.0f), word(".", 4.0f, 4.8f),
                                                  word(" b", 6.0f, 6.5f)}));
}

TEST(WordTimestamps, PunctuationJoinsItsWord)
{
    const std::string_view prepended = Constants::defaultPrependPunctuations;
    const std::string_view appended = Constants::defaultAppendPunctuations;
    struct Case {
        const char* name;
        std::vector<std::string> words;
        std::vector<std::string> merged;
        // The word whose times each merged word has.
        std::vector<std::size_t> timedLike;
    };
    const Case cases[] = {
        {"opening and closing marks", {" \u00bf", " Qu\u00e9", " pasa", "?"}, {" \u00bf Qu\u00e9", " pasa?"}, {1, 2}},
        {"a comma", {" Hello", ",", " world"}, {" Hello,", " world"}, {0, 2}},
        {"an unspaced opening mark first is dropped", {"\u00bf", " Qu\u00e9"}, {" Qu\u00e9"}, {1}},
        {"closing marks accumulate", {" pasa", "?", "!"}, {" pasa?!"}, {0}},
        {"opening marks accumulate", {" (", " \u00bf", " Qu\u00e9"}, {" ( \u00bf Qu\u00e9"}, {2}},
        {"a mark after a spaced word stays alone and goes", {" Hello ", "?"}, {" Hello "}, {0}},
    };
    for (const Case& c : cases) {
        std::vector<WordTiming> words;
        for (std::size_t index = 0; index < c.words.size(); ++index)
            words.push_back(word(c.words[index], static_cast<float>(index), static_cast<float>(index) + 0.5f,
                                 {static_cast<int>(index)}, 0.1f * static_cast<float>(index)));
        const auto merged = SegmentSeeker::mergePunctuations(words, prepended, appended);
        EXPECT_EQ(texts(merged), c.merged) << c.name;
        ASSERT_EQ(merged.size(), c.timedLike.size()) << c.name;
        for (std::size_t index = 0; index < merged.size(); ++index) {
            const WordTiming& source = words[c.timedLike[index]];
            EXPECT_EQ(merged[index].start, source.start) << c.name;
            EXPECT_EQ(merged[index].probability, source.probability) << c.name;
        }
    }
    const auto chain = SegmentSeeker::mergePunctuations(
        {word(" pasa", 0, 1, {5}), word("?", 1, 2, {6}), word("!", 2, 3, {7})}, prepended, appended);
    EXPECT_EQ(chain.front().tokens, (std::vector<int>{5, 6, 7}));
}

TEST(WordTimestamps, SegmentsAndWordsAdjustToEachOther)
{
    const auto tokenizer = windowTokenizer();
    struct Case {
        const char* name;
        std::int64_t seek;
        float lastSpeech;
        TranscriptionSegment segment;
        std::vector<WordTiming> alignment;
        float median;
        std::vector<WordTiming> words;
        float segmentStart;
        float segmentEnd;
    };
    const Case cases[] = {
        {"the window's offset is added, then times are rounded",
         480000,
         30.0f,
         segment(30.0f, 31.0f, {hello, world}),
         {word(" Hello", 0.125f, 0.5f, {hello}, 0.555f), word(" world", 0.5f, 1.0f, {world}, 0.9f)},
         0.4f,
         {word(" Hello", 30.13f, 30.5f, {hello}, 0.56f), word(" world", 30.5f, 31.0f, {world}, 0.9f)},
         30.13f,
         31.0f},
        {"a segment starting well inside its first word keeps its start",
         0,
         5.0f,
         segment(6.0f, 7.0f, {hello, world}),
         {word(" Hello", 5.0f, 6.5f, {hello}), word(" world", 6.5f, 7.0f, {world})},
         0.4f,
         {word(" Hello", 6.0f, 6.5f, {hello}), word(" world", 6.5f, 7.0f, {world})},
         6.0f,
         7.0f},
        {"a long first word after a pause is cut to the longest duration",
         0,
         0.0f,
         segment(0.0f, 3.0f, {hello}),
         {word(" Hello", 0.5f, 3.0f, {hello})},
         0.4f,
         {word(" Hello", 2.2f, 3.0f, {hello})},
         2.2f,
         3.0f},
        {"special tokens make no word",
         0,
         1.0f,
         segment(1.0f, 2.0f, {startOfTranscript, hello}),
         {word("<|startoftranscript|>", 0.0f, 0.0f, {startOfTranscript}), word(" Hello", 1.0f, 2.0f, {hello})},
         0.4f,
         {word(" Hello", 1.0f, 2.0f, {hello})},
         1.0f,
         2.0f},
    };
    for (const Case& c : cases) {
        const auto segments = SegmentSeeker::updateSegmentsWithWordTimings(
            {c.segment}, c.alignment, c.seek, c.lastSpeech, c.median, 2 * c.median, tokenizer);
        ASSERT_EQ(segments.size(), 1u) << c.name;
        ASSERT_TRUE(segments[0].words) << c.name;
        EXPECT_EQ(*segments[0].words, c.words) << c.name;
        EXPECT_FLOAT_EQ(segments[0].start, c.segmentStart) << c.name;
        EXPECT_FLOAT_EQ(segments[0].end, c.segmentEnd) << c.name;
    }
}

TEST(WordTimestamps, AddsWordsToTheWindowsSegments)
{
    const auto tokenizer = windowTokenizer();
    const std::vector<TranscriptionSegment> segments{segment(0.0f, 0.04f, {hello, question}),
                                                     segment(0.04f, 0.06f, {world})};
    // Each token's weight lies on its own frames,
    // in halves, as the decoder keeps them; the last row belongs to no token.
    const std::vector<float> rows{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 9, 9, 9, 9};
    std::vector<Platform::CoreML::Float16> halves;
    for (float value : rows)
        halves.emplace_back(value);
    const Platform::CoreML::MLMultiArray weights(
        Platform::CoreML::MLShapedArray<Platform::CoreML::Float16>({4, 4}, std::move(halves)));
    SegmentSeeker seeker;
    const auto timed =
        seeker.addWordTimestamps(segments, weights, tokenizer, 0, 480000, Constants::defaultPrependPunctuations,
                                 Constants::defaultAppendPunctuations, 0.0f, {}, {});
    ASSERT_TRUE(timed);
    ASSERT_EQ(timed->size(), 2u);
    EXPECT_EQ(texts(*(*timed)[0].words), std::vector<std::string>{" Hello?"});
    EXPECT_EQ(texts(*(*timed)[1].words), std::vector<std::string>{" world"});

    // Nothing to align: the segment keeps its times and gets no words.
    const auto untimed =
        seeker.addWordTimestamps({segment(1.0f, 2.0f, {})}, weights, tokenizer, 0, 480000, "", "", 0.0f, {}, {});
    ASSERT_TRUE(untimed);
    EXPECT_EQ((*untimed)[0].words, std::vector<WordTiming>{});
    EXPECT_EQ((*untimed)[0].start, 1.0f);

    auto short_ = segments;
    short_[1].tokenLogProbs.clear();
    const auto expectFailure = [&](const std::vector<TranscriptionSegment>& input,
                                   const Platform::CoreML::MLMultiArray& alignment, const char* message) {
        try {
            seeker.addWordTimestamps(input, alignment, tokenizer, 0, 480000, "", "", 0.0f, {}, {});
            ADD_FAILURE() << message;
        } catch (const WhisperError& error) {
            EXPECT_EQ(error.kind(), WhisperError::Kind::segmentingFailed);
            EXPECT_STREQ(error.what(), message);
        }
    };
    expectFailure(short_, weights, "A segment has 1 tokens but 0 log probabilities");
    expectFailure(segments, Platform::CoreML::MLMultiArray({2, 4}, Platform::CoreML::MLMultiArrayDataType::float16),
                  "The alignment weights have 2 rows for 3 tokens");
}
