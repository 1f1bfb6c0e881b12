#include "Support/LogCapture.h"
#include "TranscriptionFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace TranscriptionTest;
using RadozodEri::DecodingFallback;
using RadozodEri::DecodingOptions;

namespace {

std::size_t countLines(const std::vector<std::string>& lines, const std::string& prefix)
{
    return static_cast<std::size_t>(
        std::ranges::count_if(lines, [&](const auto& line) { return line.starts_with(prefix); }));
}

// A task that lends out its progress wrapper.
class OpenTask : public RadozodEri::TranscribeTask {
public:
    OpenTask(RadozodEri::TranscriptionTimings timings, std::shared_ptr<const RadozodEri::WhisperTokenizer> tokenizer)
        : TranscribeTask(timings, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, std::move(tokenizer))
    {
    }
    using TranscribeTask::progressWrapper;
};

} // namespace

TEST(TranscribeTask, RefusesOptionsUnderWhichTheLoopCouldNeverEnd)
{
    struct Case {
        DecodingOptions options;
        std::string message;
    };
    const Case cases[] = {
        {{.maxWindowSeek = 0}, "maxWindowSeek must be positive, got 0"},
        {{.maxWindowSeek = -480000}, "maxWindowSeek must be positive, got -480000"},
        {{.windowClipTime = std::numeric_limits<float>::quiet_NaN()}, "windowClipTime must be finite, got nan"},
        {{.windowClipTime = std::numeric_limits<float>::infinity()}, "windowClipTime must be finite, got inf"},
        {{.temperatureFallbackCount = -1}, "temperatureFallbackCount must not be negative, got -1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Engine engine;
        DecoderTest::expectWhisperError([&] { engine.transcribe(std::vector<float>(24000, 0.1f), c.options); },
                                        RadozodEri::WhisperError::Kind::decodingFailed, c.message);
        EXPECT_TRUE(engine.recorder->windowLengths.empty());
    }
}

TEST(TranscribeTask, AWindowThatDoesNotAdvanceEndsItsClipAndKeepsItsText)
{
    Engine engine;
    engine.seeker->stall = true;
    const auto results = engine.transcribe(std::vector<float>(504000, 0.1f));
    EXPECT_EQ(engine.seeker->seeks, std::vector<std::int64_t>{0});
    EXPECT_EQ(results[0]->text(), "Hello world");
}

TEST(TranscribeTask, ClipsOutsideTheAudioAreClampedToIt)
{
    struct Case {
        std::vector<float> clipTimestamps;
        std::vector<std::int64_t> seeks;
        std::int64_t progressTotal;
    };
    for (const Case& c : {Case{{-5, 100}, {0}, 24000}, Case{{10, 20}, {}, 0}, Case{{1, 0.5f}, {}, 0}}) {
        SCOPED_TRACE(c.clipTimestamps.front());
        Engine engine;
        const auto progress = std::make_shared<Platform::Progress>(0);
        const auto task = engine.engine->setupTranscribeTask(
            {}, progress, engine.engine->audioProcessor, engine.engine->audioEncoder, engine.engine->featureExtractor,
            engine.engine->segmentSeeker, engine.engine->textDecoder, DecoderTest::tokenizer());
        engine.engine->loadModels();
        task->run(std::vector<float>(24000, 0.1f), DecodingOptions{.clipTimestamps = c.clipTimestamps});
        EXPECT_EQ(engine.seeker->seeks, c.seeks);
        EXPECT_EQ(progress->totalUnitCount(), c.progressTotal);
        EXPECT_EQ(progress->completedUnitCount(), c.progressTotal);
    }
}

TEST(TranscribeTask, AWindowWithoutWordTimingsKeepsItsSegments)
{
    Engine engine;
    engine.seeker->noWordTimings = true;
    const auto results = engine.transcribe(std::vector<float>(24000, 0.1f), DecodingOptions{.wordTimestamps = true});
    EXPECT_EQ(results[0]->text(), "Hello world");
    ASSERT_EQ(results[0]->segments().size(), 1u);
    EXPECT_FALSE(results[0]->segments()[0].words);
    EXPECT_EQ(results[0]->timings().totalTimestampAlignmentRuns, 1);
}

TEST(TranscribeTask, EveryWindowStartsFromTheResetCacheAlsoAfterOneWithoutSegments)
{
    Engine engine;
    engine.seeker->silentWindows = {true};
    const auto results = engine.transcribe(std::vector<float>(504000, 0.1f));
    EXPECT_EQ(engine.decoder->startPositions, (std::vector<int>{0, 0}));
    EXPECT_EQ(results[0]->segments().size(), 1u);
    EXPECT_EQ(results[0]->timings().totalDecodingWindows, 1);
    EXPECT_EQ(results[0]->text(), "Hello world");
}

TEST(TranscribeTask, RetriesAWindowUpTheHalfPrecisionLadderWhileItsResultAsksForIt)
{
    struct Case {
        std::string name;
        DecodingFallback verdict;
        std::int64_t fallbackCount;
        std::vector<float> temperatures;
        std::string lastFallbackLine;
        double totalDecodingFallbacks;
    };
    const Case cases[] = {
        {"every attempt retries",
         {true, "compressionRatioThreshold"},
         5,
         {0, 0.199951171875f, 0.39990234375f, 0.599609375f, 0.7998046875f, 1.0f},
         "Fallback #6 (compressionRatioThreshold)",
         5},
        {"one attempt", {true, "logProbThreshold"}, 0, {0}, "Fallback #1 (logProbThreshold)", 0},
        {"silence", {false, "silence"}, 5, {0}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Engine engine;
        engine.decoder->verdicts = {c.verdict};
        TestSupport::LogCapture log(RuntimeCore::LogLevel::info);
        const auto results = engine.transcribe(std::vector<float>(24000, 0.1f),
                                               DecodingOptions{.temperatureFallbackCount = c.fallbackCount});
        EXPECT_EQ(engine.decoder->temperatures, c.temperatures);
        // Every retry starts from the prompt again.
        EXPECT_EQ(engine.decoder->startPositions, std::vector<int>(c.temperatures.size(), 0));
        std::vector<std::string> fallbackLines;
        std::ranges::copy_if(log.lines, std::back_inserter(fallbackLines),
                             [](const auto& line) { return line.starts_with("Fallback #"); });
        EXPECT_EQ(fallbackLines.empty() ? "" : fallbackLines.back(), c.lastFallbackLine);
        EXPECT_EQ(countLines(log.lines, "Decoding Temperature: "), c.temperatures.size());
        EXPECT_EQ(results[0]->timings().totalDecodingFallbacks, c.totalDecodingFallbacks);
        // The last attempt's result is kept, even when it still asked for a retry.
        EXPECT_EQ(results[0]->text(), "Hello world");
    }
}

TEST(TranscribeTask, TheResultKeepsTextTokensTrimmedOfSpacesAndTabsOnly)
{
    const auto tokenizer =
        std::make_shared<RadozodEri::WhisperTokenizerWrapper>(std::make_unique<TestSupport::ByteTokenizer>(
            std::vector<std::string>{" \tHello", " world\n", "\t"},
            std::map<std::string, int>{{"<|endoftext|>", 20}, {"<|startoftranscript|>", 21}, {"<|0.00|>", 22}}));
    OpenTask task({}, tokenizer);
    struct Case {
        std::vector<int> tokens;
        std::optional<std::string> language;
        std::string text;
        std::string resultLanguage;
    };
    for (const Case& c :
         {Case{{21, 22, 0, 20, 1, 2, 23}, std::nullopt, "Hello world\n", "en"}, Case{{2, 20, 2}, "de", "", "de"}}) {
        const auto result = task.finalizeTranscriptionResult(c.tokens, {}, c.language, {});
        EXPECT_EQ(result->text(), c.text);
        EXPECT_EQ(result->language(), c.resultLanguage);
        EXPECT_FALSE(result->seekTime());
    }
}

TEST(TranscribeTask, ProgressReportsCarryTheWindowIdAndStopOnceTheTaskIsGone)
{
    RadozodEri::TranscriptionTimings timings;
    timings.totalDecodingWindows = 3;
    timings.totalDecodingFallbacks = 1;
    auto task = std::make_shared<OpenTask>(timings, DecoderTest::tokenizer());
    std::vector<std::int64_t> windowIds;
    const auto wrapper = task->progressWrapper([&](const RadozodEri::TranscriptionProgress& report) {
        windowIds.push_back(report.windowId);
        return false;
    });
    EXPECT_EQ(wrapper({}), false);
    task.reset();
    EXPECT_EQ(wrapper({}), std::nullopt);
    EXPECT_EQ(windowIds, std::vector<std::int64_t>{2});
}
