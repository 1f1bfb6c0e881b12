#include "RadozodEri/Core/TranscriptionResult.h"

#include "RadozodEri/JSONText.h"
#include "Support/LogCapture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <thread>

using namespace RadozodEri;
using Platform::JSON::DecodingError;
using TestSupport::decodedText;
using TestSupport::encodedText;

namespace {

WordTiming word(std::string text, float start)
{
    return {.word = std::move(text), .tokens = {1}, .start = start, .end = start + 0.5f, .probability = 0.9f};
}

TranscriptionSegment segment(std::int64_t id, float start, float end, std::string text)
{
    return {.id = id, .start = start, .end = end, .text = std::move(text), .tokens = {50364, 1, 2}};
}

} // namespace

TEST(TranscriptionResult, SeekTimeIsAlwaysWrittenAndRequiredButTheTwinLeavesItOut)
{
    const TranscriptionResult result("hi", {segment(0, 0, 1, " hi")}, "en", {});
    const std::string text = encodedText(result);
    EXPECT_NE(text.find(R"("seekTime":null)"), std::string::npos);
    const TranscriptionResult read = decodedText<TranscriptionResult>(text);
    EXPECT_FALSE(read.seekTime());
    EXPECT_EQ(read.segments(), result.segments());
    EXPECT_EQ(read.timings(), result.timings());

    const TranscriptionResultStruct twin {.text = "hi", .language = "en"};
    const std::string twinText = encodedText(twin);
    EXPECT_EQ(twinText.find("seekTime"), std::string::npos);
    EXPECT_EQ(decodedText<TranscriptionResultStruct>(twinText), twin);
    EXPECT_THROW(decodedText<TranscriptionResult>(twinText), DecodingError);

    const TranscriptionResultStruct shifted {.text = "hi", .language = "en", .seekTime = 30.5f};
    EXPECT_EQ(decodedText<TranscriptionResult>(encodedText(shifted)).seekTime(), 30.5f);
}

TEST(TranscriptionResult, NonFiniteNumbersAreRefusedNamingTheirKey)
{
    TranscriptionSegment broken = segment(0, 0, 1, " hi");
    broken.avgLogprob = std::nanf("");
    const TranscriptionResult result("hi", {segment(0, 0, 1, " ok"), broken}, "en", {});
    try {
        encodedText(result);
        FAIL() << "a NaN was written";
    } catch (const Platform::JSON::WriteError& error) {
        EXPECT_NE(std::string(error.what()).find(R"("segments[1].avgLogprob")"), std::string::npos) << error.what();
    }
}

TEST(TranscriptionResult, SegmentJSONKeepsTokenIdsAsDecimalKeysAndWordsOptional)
{
    TranscriptionSegment withMap = segment(3, 1.5f, 3, " hello");
    withMap.tokenLogProbs = {{{50364, -0.25f}}, {{1, -1.5f}}};
    withMap.avgLogprob = -0.75f;
    const std::string text = encodedText(withMap);
    EXPECT_NE(text.find(R"("tokenLogProbs":[{"50364":-0.25},{"1":-1.5}])"), std::string::npos);
    EXPECT_NE(text.find(R"("avgLogprob":-0.75)"), std::string::npos);
    EXPECT_EQ(text.find("words"), std::string::npos);
    EXPECT_EQ(decodedText<TranscriptionSegment>(text), withMap);

    withMap.words = std::vector {word("hello", 1.5f)};
    EXPECT_EQ(decodedText<TranscriptionSegment>(encodedText(withMap)), withMap);

    const std::string goodMap = R"({"50364":-0.25})";
    for (const char* badMap : {R"({"x50364":-0.25})", R"({"":-0.25})", R"({"99999999999":-0.25})"}) {
        const std::string bad = std::string(text).replace(text.find(goodMap), goodMap.size(), badMap);
        try {
            decodedText<TranscriptionSegment>(bad);
            ADD_FAILURE() << badMap;
        } catch (const DecodingError& error) {
            EXPECT_EQ(error.codingPath(), (std::vector<std::string> {"tokenLogProbs", "0"})) << badMap;
        }
    }
}

TEST(TranscriptionResult, SegmentsCompareAndHashByEveryField)
{
    TranscriptionSegment a = segment(1, 1.5f, 3, " a");
    TranscriptionSegment b = a;
    EXPECT_EQ(a.duration(), 1.5f);
    b.noSpeechProb = 0.5f;
    EXPECT_NE(a, b);

    b = a;
    a.temperature = 0.0f;
    b.temperature = -0.0f;
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<TranscriptionSegment> {}(a), std::hash<TranscriptionSegment> {}(b));
    b.words = std::vector<WordTiming> {};
    EXPECT_NE(a, b);
}

TEST(TranscriptionResult, AllWordsAndSegmentLog)
{
    TranscriptionSegment first = segment(5, 2.4f, 3, " first");
    first.words = std::vector {word("a", 2.4f), word("b", 2.6f)};
    TranscriptionSegment second = segment(6, 3, 4, "second");
    TranscriptionSegment third = segment(7, 4.2f, 5, " third");
    third.words = std::vector {word("c", 4.2f)};
    const TranscriptionResult result("first second third", {first, second, third}, "en", {});

    std::vector<std::string> words;
    for (const WordTiming& timing : result.allWords())
        words.push_back(timing.word);
    EXPECT_EQ(words, (std::vector<std::string> {"a", "b", "c"}));

    TestSupport::LogCapture log;
    result.logSegments();
    EXPECT_EQ(log.lines, (std::vector<std::string> {"[Segment 0] [2.40 --> 3.00]  first",
                                                    "[Segment 1] [3.00 --> 4.00] second",
                                                    "[Segment 2] [4.20 --> 5.00]  third"}));
}

TEST(TranscriptionResult, ConcurrentInPlaceChangesLoseNothing)
{
    TranscriptionResult result("", {}, "en", {});
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 250; ++i) {
                result.modifySegments([](std::vector<TranscriptionSegment>& segments) { segments.push_back({}); });
                result.modifyTimings([](TranscriptionTimings& timings) { timings.totalDecodingLoops += 1; });
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(result.segments().size(), 1000u);
    EXPECT_EQ(result.timings().totalDecodingLoops, 1000);
}
