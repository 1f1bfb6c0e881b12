#include "Audio/WaveFile.h"
#include "RuntimeCore/Cancellation.h"
#include "TranscriptionFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace TranscriptionTest;
using RadozodEri::TranscriptionState;
using testing::ElementsAre;

TEST(TranscriptionEntryPoints, EmptyAudioGivesEmptyEnglishTextWithTheLoopTimed)
{
    Engine engine;
    const auto result = engine.engine->transcribeFirst(std::vector<float>{});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->text(), "");
    EXPECT_TRUE(result->segments().empty());
    EXPECT_EQ(result->language(), "en");
    const auto timings = result->timings();
    EXPECT_LT(timings.pipelineStart, std::numeric_limits<double>::max());
    EXPECT_GT(timings.fullPipeline, 0);
    EXPECT_GT(timings.decodingLoop, 0);
    EXPECT_TRUE(engine.recorder->windowLengths.empty());
}

TEST(TranscriptionEntryPoints, AudioWithinTheClipMarginRunsNoWindowAndLongerAudioIsPadded)
{
    struct Case {
        std::size_t samples;
        std::vector<std::int64_t> windows;
        std::string text;
    };
    for (const Case& c : {Case{16000, {}, ""}, Case{24000, {480000}, "Hello world"}}) {
        SCOPED_TRACE(c.samples);
        Engine engine;
        const auto results = engine.transcribe(std::vector<float>(c.samples, 0.1f));
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(engine.recorder->windowLengths, c.windows);
        EXPECT_EQ(results[0]->text(), c.text);
        EXPECT_EQ(results[0]->timings().totalDecodingWindows, static_cast<double>(c.windows.size()));
        EXPECT_DOUBLE_EQ(results[0]->timings().inputAudioSeconds, static_cast<double>(c.samples) / 16000);
    }
}

TEST(TranscriptionEntryPoints, SegmentsGoToTheGivenCallbackElseToTheEngines)
{
    Engine engine;
    std::vector<std::string> given;
    std::vector<std::string> engines;
    engine.engine->segmentDiscoveryCallback = [&](const auto& segments) { engines.push_back(segments[0].text); };
    const std::vector<float> samples(24000, 0.1f);
    engine.engine->transcribe(samples, std::nullopt, {},
                              [&](const auto& segments) { given.push_back(segments[0].text); });
    EXPECT_EQ(given.size(), 1u);
    EXPECT_TRUE(engines.empty());
    engine.engine->transcribe(samples, std::nullopt, {}, {});
    EXPECT_EQ(engines.size(), 1u);
}

TEST(TranscriptionEntryPoints, FileFormsReportTheirStagesAndAMissingFileStopsAfterConverting)
{
    Engine engine;
    std::vector<TranscriptionState> states;
    engine.engine->transcriptionStateCallback = [&](TranscriptionState state) { states.push_back(state); };
    const auto wave = engine.folders.path() / "speech.wav";
    TestSupport::writeWaveFile(wave, 16000, 1, std::vector<float>(24000, 0.1f));

    const auto result = engine.engine->transcribeFirst(wave.string());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->text(), "Hello world");
    EXPECT_THAT(states, ElementsAre(TranscriptionState::convertingAudio, TranscriptionState::transcribing,
                                    TranscriptionState::finished));
    EXPECT_GT(engine.engine->currentTimings().audioLoading, 0);

    states.clear();
    const auto missing = engine.folders.path() / "missing.wav";
    DecoderTest::expectWhisperError([&] { engine.engine->transcribe(missing.string()); },
                                    RadozodEri::WhisperError::Kind::loadAudioFailed,
                                    "Resource path does not exist " + missing.string());
    EXPECT_THAT(states, ElementsAre(TranscriptionState::convertingAudio));
}

TEST(TranscriptionEntryPoints, AFailedTranscriptionOfAFileStillReportsFinished)
{
    Engine engine;
    std::vector<TranscriptionState> states;
    engine.engine->transcriptionStateCallback = [&](TranscriptionState state) { states.push_back(state); };
    const auto wave = engine.folders.path() / "speech.wav";
    TestSupport::writeWaveFile(wave, 16000, 1, std::vector<float>(24000, 0.1f));
    EXPECT_THROW(engine.engine->transcribe(wave.string(), RadozodEri::DecodingOptions{.maxWindowSeek = 0}),
                 RadozodEri::WhisperError);
    EXPECT_THAT(states, ElementsAre(TranscriptionState::convertingAudio, TranscriptionState::transcribing,
                                    TranscriptionState::finished));
}

TEST(TranscriptionEntryPoints, ACancelledTranscriptionLeavesAFreshProgress)
{
    Engine engine;
    const std::vector<float> samples(24000, 0.1f);
    engine.transcribe(samples);
    const auto before = engine.engine->progress();
    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(engine.engine->transcribe(samples, std::nullopt, {}, {}, stop.get_token()),
                 RuntimeCore::CancellationError);
    EXPECT_NE(engine.engine->progress(), before);
    EXPECT_EQ(engine.engine->progress()->totalUnitCount(), 0);
}

TEST(TranscriptionEntryPoints, AFinishedTranscriptionStartsANewCountAndAFailedOneKeepsIt)
{
    Engine engine;
    const std::vector<float> samples(24000, 0.1f);
    const auto first = engine.engine->progress();
    engine.transcribe(samples);
    EXPECT_NE(engine.engine->progress(), first);

    const auto second = engine.engine->progress();
    EXPECT_THROW(engine.transcribe(samples, RadozodEri::DecodingOptions{.maxWindowSeek = -1}),
                 RadozodEri::WhisperError);
    EXPECT_EQ(engine.engine->progress(), second);
    EXPECT_EQ(second->totalUnitCount(), 1);
}

TEST(TranscriptionEntryPoints, ACallbackAnsweringFalseEndsOnlyItsWindow)
{
    Engine engine;
    // Two windows: the first covers 30 s, the second the 1.5 s after it.
    engine.transcribe(std::vector<float>(504000, 0.1f), std::nullopt,
                      [](const RadozodEri::TranscriptionProgress&) { return false; });
    EXPECT_EQ(engine.recorder->windowLengths.size(), 2u);
    EXPECT_EQ(engine.decoder->temperatures.size(), 2u);
}

TEST(TranscriptionEntryPoints, ConcurrentFirstTranscriptionsLoadTheModelsOnce)
{
    Engine engine;
    std::atomic<int> loads = 0;
    engine.engine->modelStateCallback = [&](auto, RuntimeCore::ModelState state) {
        if (state == RuntimeCore::ModelState::loading)
            ++loads;
    };
    std::vector<std::string> texts(8);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < texts.size(); ++i)
            threads.emplace_back(
                [&, i] { texts[i] = engine.engine->transcribeFirst(std::vector<float>(24000, 0.1f))->text(); });
    }
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(engine.engine->modelState(), RuntimeCore::ModelState::loaded);
    for (const auto& text : texts)
        EXPECT_EQ(text, "Hello world");
}

TEST(TranscriptionEntryPoints, AnEngineLeftWithoutATokenizerCannotTranscribe)
{
    Engine engine;
    engine.engine->loadModels();
    engine.engine->setTokenizer(nullptr);
    DecoderTest::expectWhisperError([&] { engine.transcribe(std::vector<float>(24000)); },
                                    RadozodEri::WhisperError::Kind::tokenizerUnavailable, "Tokenizer is unavailable");
}
