#include "RadozodEri/Utilities/TranscriptionUtilities.h"

#include <gtest/gtest.h>

using namespace RadozodEri;

namespace {

std::vector<WordTiming> words(std::vector<std::string> texts)
{
    std::vector<WordTiming> timed;
    for (std::size_t index = 0; index < texts.size(); ++index)
        timed.push_back({texts[index],
                         {static_cast<int>(index)},
                         static_cast<float>(index),
                         static_cast<float>(index) + 1.0f,
                         0.5f});
    return timed;
}

std::shared_ptr<TranscriptionResult> result(std::string text, std::size_t segmentCount, double pipelineStart,
                                            double fullPipeline, std::string language = "de")
{
    std::vector<TranscriptionSegment> segments(segmentCount, TranscriptionSegment{.id = 7, .text = text});
    TranscriptionTimings timings;
    timings.pipelineStart = pipelineStart;
    timings.firstTokenTime = pipelineStart + 1;
    timings.fullPipeline = fullPipeline;
    timings.inputAudioSeconds = 2.0;
    timings.modelLoading = fullPipeline;
    timings.encoderSpecializationTime = 3.0;
    timings.totalDecodingLoops = 10;
    return std::make_shared<TranscriptionResult>(std::move(text), std::move(segments), std::move(language), timings);
}

} // namespace

TEST(TranscriptionUtilities, WordSequencesAgreeIgnoringCasePunctuationAndSpacing)
{
    struct Case {
        const char* name;
        std::vector<std::string> first;
        std::vector<std::string> second;
        std::size_t prefix;
    };
    const Case cases[] = {
        {"case and punctuation", {" Hello,", " world"}, {"hello", " World!", " again"}, 2},
        {"hyphens are spaces", {"well-known"}, {"well known"}, 1},
        {"runs of spaces are one", {" so   far"}, {"so far "}, 1},
        {"different words", {"a"}, {"b"}, 0},
        {"nothing to compare", {}, {"a"}, 0},
    };
    for (const Case& c : cases) {
        const auto second = words(c.second);
        const auto prefix = findLongestCommonPrefix(words(c.first), second);
        EXPECT_EQ(prefix, std::vector<WordTiming>(second.begin(), second.begin() + static_cast<long>(c.prefix)))
            << c.name;
        EXPECT_EQ(findLongestDifferentSuffix(words(c.first), second),
                  std::vector<WordTiming>(second.begin() + static_cast<long>(c.prefix), second.end()))
            << c.name;
    }
}

TEST(TranscriptionUtilities, SegmentsMoveAndRender)
{
    const TranscriptionSegment segment{
        .seek = 16000, .start = 1.5f, .end = 3.25f, .text = " Hello", .words = words({" Hello"})};
    const TranscriptionSegment moved = updateSegmentTimings(segment, 30.0f);
    EXPECT_EQ(moved.seek, 16000 + 480000);
    EXPECT_EQ(moved.start, 31.5f);
    EXPECT_EQ(moved.end, 33.25f);
    EXPECT_EQ(moved.words->front().start, 30.0f);
    EXPECT_EQ(moved.words->front().end, 31.0f);
    EXPECT_EQ(moved.text, segment.text);

    EXPECT_EQ(formatSegments({segment, moved}, true),
              (std::vector<std::string>{"[1.50 --> 3.25]  Hello", "[31.50 --> 33.25]  Hello"}));
    EXPECT_EQ(formatSegments({segment}, false), std::vector<std::string>{" Hello"});
}

TEST(TranscriptionUtilities, MergesPartialResults)
{
    const auto a = result(" A", 2, 10.0, 5.0);
    const auto b = result(" B", 3, 10.0, 5.0, "fr");
    const TranscriptionResult merged = mergeTranscriptionResults({a, nullptr, b});
    EXPECT_EQ(merged.text(), " A   B");
    EXPECT_EQ(merged.language(), "de");
    EXPECT_FALSE(merged.seekTime());
    std::vector<std::int64_t> ids;
    for (const auto& segment : merged.segments())
        ids.push_back(segment.id);
    EXPECT_EQ(ids, (std::vector<std::int64_t>{0, 1, 2, 3, 4}));
    const TranscriptionTimings timings = merged.timings();
    EXPECT_EQ(timings.pipelineStart, 10.0);
    EXPECT_EQ(timings.firstTokenTime, 11.0);
    EXPECT_EQ(timings.inputAudioSeconds, 4.0);
    EXPECT_EQ(timings.modelLoading, 5.0);
    EXPECT_EQ(timings.encoderSpecializationTime, 0.0);
    EXPECT_EQ(timings.totalDecodingLoops, 20.0);
    EXPECT_EQ(timings.fullPipeline, 5.0) << "side by side";

    EXPECT_EQ(mergeTranscriptionResults({result("", 0, 10.0, 5.0), result("", 0, 15.0, 5.0)}).timings().fullPipeline,
              10.0)
        << "one after the other";
    EXPECT_EQ(mergeTranscriptionResults({a, b}, words({" Hi", " there"})).text(), " Hi there");

    const TranscriptionResult none = mergeTranscriptionResults({nullptr});
    EXPECT_EQ(none.text(), "");
    EXPECT_TRUE(none.segments().empty());
    EXPECT_EQ(none.language(), "en");
    EXPECT_EQ(none.timings().pipelineStart, 0.0);
    EXPECT_EQ(none.timings().inputAudioSeconds, 0.0);
    EXPECT_EQ(none.timings().fullPipeline, 0.0);
}
