#include "App/Audio/StreamingPipeline.h"
#include "App/VAD/EnergyVAD.h"

#include "App/Doubles/DebugLogFile.h"
#include "App/Doubles/PipelineFakes.h"
#include "App/Doubles/RecordingCommandEffects.h"
#include "Platform/Vector/FiniteSamples.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

using QEL::StreamingPipeline;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

constexpr size_t frameSize = 1600;

// Speech frames carry their number in their (constant) sample value, so the
// audio an engine call receives can be read back frame by frame.
std::vector<float> speechFrame(int number) { return std::vector<float>(frameSize, 0.1f + number * 1e-4f); }
std::vector<float> quietFrame() { return std::vector<float>(frameSize, 0.001f); }
constexpr int quiet = -1;

std::vector<int> frameNumbers(const std::vector<float>& audio)
{
    std::vector<int> numbers;
    for (size_t start = 0; start < audio.size(); start += frameSize) {
        const float value = audio[start];
        numbers.push_back(value < 0.05f ? quiet : static_cast<int>(std::lround((value - 0.1f) / 1e-4f)));
    }
    return numbers;
}

// The number of the first speech frame in the audio, or quiet when it has none.
int firstSpeechFrame(const std::vector<float>& audio)
{
    for (int number : frameNumbers(audio))
        if (number != quiet)
            return number;
    return quiet;
}

// Commands on, fillers off, formatting for an application that takes text as it is.
std::unique_ptr<QEL::TextProcessor> makeProcessor(std::shared_ptr<QEL::Testing::RecordingCommandEffects> effects)
{
    return std::make_unique<QEL::TextProcessor>(std::nullopt, QEL::CommandDetector(std::move(effects)),
                                                QEL::SmartFormatter{},
                                                [] { return QEL::AppContext(QEL::AppContext::codeEditor); });
}

class StreamingPipelineTest : public testing::Test {
protected:
    void build(float vadThreshold = 0.015f, int silenceDurationMs = 400)
    {
        pipeline = std::make_unique<StreamingPipeline>(std::make_unique<QEL::EnergyVAD>(vadThreshold, silenceDurationMs), engine,
                                                       makeProcessor(effects), inserter);
        callbacks.install(*pipeline);
    }

    void SetUp() override { build(); }

    void speak(int first, int last)
    {
        for (int number = first; number <= last; ++number)
            pipeline->processAudioBuffer(speechFrame(number));
    }
    void pause(int frames)
    {
        for (int frame = 0; frame < frames; ++frame)
            pipeline->processAudioBuffer(quietFrame());
    }
    void waitUntilIdle() { ASSERT_TRUE(pipeline->waitUntilIdle(std::chrono::seconds(20))); }

    std::shared_ptr<ScriptedEngine> engine = std::make_shared<ScriptedEngine>();
    std::shared_ptr<RecordingInserter> inserter = std::make_shared<RecordingInserter>();
    std::shared_ptr<QEL::Testing::RecordingCommandEffects> effects = std::make_shared<QEL::Testing::RecordingCommandEffects>();
    RecordedCallbacks callbacks;
    std::unique_ptr<StreamingPipeline> pipeline;
};

} // namespace

TEST_F(StreamingPipelineTest, FramesOutsideARecordingAreIgnored)
{
    speak(1, 3);
    pipeline->start();
    speak(4, 5);
    pipeline->stop();
    speak(6, 30);
    pause(5);
    waitUntilIdle();
    EXPECT_EQ(callbacks.read(callbacks.levels).size(), 2u);
    ASSERT_EQ(engine->calls().size(), 1u);
    EXPECT_THAT(frameNumbers(engine->calls()[0]), ElementsAre(4, 5));
}

TEST_F(StreamingPipelineTest, UtteranceIsThePreRollEndingWithItsFirstFrameThenLaterFramesAndNothingOlder)
{
    engine->answerFor = [](const std::vector<float>& audio) {
        return "utterance " + std::to_string(firstSpeechFrame(audio));
    };
    pipeline->start();
    pause(10);
    speak(1, 3);
    pause(4); // the fourth quiet frame ends the utterance
    speak(4, 5);
    pause(4);
    waitUntilIdle();

    const auto calls = engine->calls();
    ASSERT_EQ(calls.size(), 2u);
    // At most 0.5 s of pre-roll, ending with the first speech frame, which is
    // not repeated; the quiet frames before the end point belong to the utterance.
    EXPECT_THAT(frameNumbers(calls[0]), ElementsAre(quiet, quiet, quiet, quiet, 1, 2, 3, quiet, quiet, quiet));
    // The second utterance carries no audio of the first: its pre-roll is
    // only the quiet frame that ended the first.
    EXPECT_THAT(frameNumbers(calls[1]), ElementsAre(quiet, 4, 5, quiet, quiet, quiet));
    EXPECT_THAT(callbacks.read(callbacks.speechStates), ElementsAre(true, false, true, false));
    EXPECT_THAT(inserter->texts(), ElementsAre("Utterance 1", "Utterance 4"));
    EXPECT_THAT(callbacks.read(callbacks.transcripts), ElementsAre("utterance 1", "utterance 4"));
    EXPECT_EQ(callbacks.read(callbacks.latencies).size(), 2u);
    EXPECT_EQ(pipeline->totalTranscriptions(), 2);
}

TEST_F(StreamingPipelineTest, SpeechRightAfterAShortEndPointIsNotSentTwice)
{
    // With a short silence limit the pre-roll of the next utterance would still
    // hold speech frames that the previous one already carried.
    for (const int silenceMs : {200, 300}) {
        SCOPED_TRACE(silenceMs);
        engine = std::make_shared<ScriptedEngine>();
        build(0.015f, silenceMs);
        const int quietFramesToEnd = silenceMs / 100;
        pipeline->start();
        speak(1, 3);
        pause(quietFramesToEnd);
        speak(4, 5);
        pause(quietFramesToEnd);
        waitUntilIdle();
        const auto calls = engine->calls();
        ASSERT_EQ(calls.size(), 2u);
        std::vector<int> expected{quiet, 4, 5};
        expected.insert(expected.end(), quietFramesToEnd - 1, quiet);
        EXPECT_EQ(frameNumbers(calls[1]), expected);
    }
}

TEST_F(StreamingPipelineTest, EndPointsInQuickSuccessionAreAllTranscribedInOrder)
{
    engine->answerFor = [](const std::vector<float>& audio) {
        return "from frame " + std::to_string(firstSpeechFrame(audio));
    };
    engine->hold();
    pipeline->start();
    speak(1, 3);
    pause(4);
    ASSERT_TRUE(engine->waitForCalls(1));
    speak(11, 13);
    pause(4);
    speak(21, 22);
    pipeline->stop(); // hands its buffered speech to the same queue
    EXPECT_TRUE(pipeline->isTranscribing());
    EXPECT_EQ(engine->calls().size(), 1u);

    engine->release();
    pipeline.reset(); // queued transcriptions still finish
    EXPECT_THAT(inserter->texts(), ElementsAre("From frame 1", "From frame 11", "From frame 21"));
}

TEST_F(StreamingPipelineTest, PreviewsStartAt80000SamplesOneAtATime)
{
    engine->hold();
    pipeline->start();
    speak(1, 49); // 49 frames: 78,400 samples
    EXPECT_TRUE(engine->calls().empty());
    speak(50, 50);
    ASSERT_TRUE(engine->waitForCalls(1));
    EXPECT_EQ(engine->calls()[0].size(), 80000u);
    speak(51, 60);
    EXPECT_EQ(engine->calls().size(), 1u) << "a second preview started beside the first";

    engine->release();
    pipeline->stop();
    waitUntilIdle();
    pipeline.reset();
    EXPECT_THAT(callbacks.read(callbacks.partials), ElementsAre("words"));
    EXPECT_THAT(inserter->texts(), ElementsAre("Words")); // previews are shown, never inserted
}

TEST_F(StreamingPipelineTest, NoPreviewStartsWhileAFinalTranscriptionIsPending)
{
    engine->hold();
    pipeline->start();
    speak(1, 3);
    pause(4);
    ASSERT_TRUE(engine->waitForCalls(1));
    speak(4, 70); // past the preview size while the first utterance is still being transcribed
    EXPECT_EQ(engine->calls().size(), 1u);
    engine->release();
    pipeline->stop();
    waitUntilIdle();
    EXPECT_EQ(engine->calls().size(), 2u);
}

TEST_F(StreamingPipelineTest, ForcedFlushAt160000SamplesIsInsertedAndNotTranscribedAgain)
{
    engine->answerFor = [](const std::vector<float>& audio) { return std::to_string(audio.size()); };
    engine->hold(); // keeps previews from finishing, so only one ever starts
    pipeline->start();
    speak(1, 50); // 80,000 samples: the preview starts
    // A preview that has not reached the engine when the flush is queued is
    // skipped; wait for it so the sequence below is certain.
    ASSERT_TRUE(engine->waitForCalls(1));
    speak(51, 99);
    EXPECT_EQ(callbacks.read(callbacks.speechStates).size(), 1u);
    speak(100, 100); // 160,000 samples
    speak(101, 102);
    pause(4);
    engine->release();
    waitUntilIdle();
    pipeline.reset();

    std::vector<size_t> sizes;
    for (const auto& call : engine->calls())
        sizes.push_back(call.size());
    EXPECT_THAT(sizes, ElementsAre(80000u, 160000u, 8000u));
    // The audio after the flush starts with the first frame after it: nothing
    // already flushed comes back through the pre-roll.
    EXPECT_THAT(frameNumbers(engine->calls()[2]), ElementsAre(101, 102, quiet, quiet, quiet));
    EXPECT_THAT(callbacks.read(callbacks.speechStates), ElementsAre(true, true, false));
    EXPECT_THAT(inserter->texts(), ElementsAre("160000", "8000"));
}

TEST_F(StreamingPipelineTest, QuietFramesOfAnOpenUtteranceAreFlushedAt160000SamplesToo)
{
    // A long silence limit keeps the utterance open through the quiet.
    build(0.015f, 60000);
    engine->answerFor = [](const std::vector<float>& audio) { return std::to_string(audio.size()); };
    pipeline->start();
    speak(1, 5);
    pause(95); // 160,000 samples in all
    waitUntilIdle();
    EXPECT_THAT(inserter->texts(), ElementsAre("160000"));
    pause(10);
    pipeline->stop();
    waitUntilIdle();
    EXPECT_THAT(inserter->texts(), ElementsAre("160000"));
}

TEST_F(StreamingPipelineTest, AtTheEndQueuedAudioIsDroppedOnRequestAndTheRestFinishesUninserted)
{
    engine->hold();
    pipeline->start();
    speak(1, 3);
    pause(4);
    ASSERT_TRUE(engine->waitForCalls(1));
    speak(4, 5);
    pause(4); // waits in the queue: the quiet frame before it, 4, 5 and three quiet frames
    pipeline->stopInserting();
    EXPECT_EQ(pipeline->discardQueuedAudio(), 6 * frameSize);
    engine->release();
    pipeline->finish();
    EXPECT_FALSE(pipeline->isTranscribing());
    EXPECT_EQ(callbacks.read(callbacks.transcripts).size(), 1u);
    EXPECT_THAT(inserter->texts(), IsEmpty());

    // Once finished, nothing more is taken.
    speak(6, 8);
    pause(4);
    pipeline->stop();
    EXPECT_EQ(engine->calls().size(), 1u);
}

TEST_F(StreamingPipelineTest, NonFiniteSamplesAreSilenceToLevelDetectorAndEngine)
{
    pipeline->start();
    speak(1, 1);
    auto broken = speechFrame(2);
    for (size_t at = 1; at < broken.size(); at += 97)
        broken[at] = at % 3 == 0 ? NAN : (at % 3 == 1 ? INFINITY : -INFINITY);
    pipeline->processAudioBuffer(broken);
    pipeline->processAudioBuffer(std::vector<float>(frameSize, NAN));
    speak(3, 3);
    pause(4);
    waitUntilIdle();

    for (float level : callbacks.read(callbacks.levels))
        EXPECT_TRUE(std::isfinite(level));
    const auto calls = engine->calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(Platform::allFinite(calls[0]));
    // The damaged speech frame is still speech; the frame of nothing but NaN is silence.
    EXPECT_THAT(frameNumbers(calls[0]), ElementsAre(1, 2, quiet, 3, quiet, quiet, quiet));
    EXPECT_THAT(inserter->texts(), ElementsAre("Words"));
}

TEST_F(StreamingPipelineTest, NoiseGateSkipsAudioBelowRMS0005)
{
    for (const auto& [level, expectedCalls] : {std::pair{0.004f, 0u}, std::pair{0.005f, 1u}}) {
        SCOPED_TRACE(level);
        engine = std::make_shared<ScriptedEngine>();
        build(0.001f);
        pipeline->start();
        for (int frame = 0; frame < 3; ++frame)
            pipeline->processAudioBuffer(std::vector<float>(frameSize, level));
        pipeline->stop();
        waitUntilIdle();
        EXPECT_EQ(engine->calls().size(), expectedCalls);
    }
}

TEST_F(StreamingPipelineTest, NonSpeechTokensAreRemovedBeforeProcessing)
{
    // What reaches the text processor, or nothing when no speech is left.
    struct Case { const char* engineText; std::vector<std::string> processed; };
    const Case cases[] = {
        {"[Music] hi [BLANK_AUDIO]", {"hi"}},
        {"[music] hi", {"[music] hi"}},
        {"(applause)[Laughter] hi\n", {"hi"}},
        {" [Music] [BLANK_AUDIO]\n(silence) ", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engineText);
        inserter = std::make_shared<RecordingInserter>();
        build();
        RecordedCallbacks recorded;
        recorded.install(*pipeline);
        engine->script({c.engineText});
        pipeline->start();
        speak(1, 2);
        pipeline->stop();
        pipeline.reset();
        EXPECT_EQ(recorded.read(recorded.transcripts), c.processed);
        EXPECT_EQ(inserter->texts().size(), c.processed.size());
    }
}

TEST_F(StreamingPipelineTest, EngineFailureIsReportedAndTheNextUtteranceStillRuns)
{
    engine->script({"model exploded", true});
    pipeline->start();
    speak(1, 2);
    pause(4);
    speak(3, 4);
    pause(4);
    waitUntilIdle();
    EXPECT_THAT(callbacks.read(callbacks.errors), ElementsAre("model exploded"));
    EXPECT_THAT(inserter->texts(), ElementsAre("Words"));
    EXPECT_EQ(callbacks.read(callbacks.latencies).size(), 1u);
    EXPECT_EQ(pipeline->totalTranscriptions(), 1);
    EXPECT_FALSE(pipeline->isTranscribing());
}

TEST_F(StreamingPipelineTest, SpokenCommandIsExecutedNotInserted)
{
    engine->script({"New line."});
    engine->script({"new line and more"});
    pipeline->start();
    speak(1, 2);
    pause(4);
    speak(3, 4);
    pipeline->stop();
    waitUntilIdle();
    {
        std::lock_guard lock(effects->mutex);
        EXPECT_THAT(effects->presses, ElementsAre(QEL::Testing::RecordingCommandEffects::KeyPress{QEL::Key::returnKey, {}}));
    }
    EXPECT_EQ(inserter->texts().size(), 1u);
    EXPECT_THAT(callbacks.read(callbacks.transcripts), ElementsAre("New line.", "new line and more"));
}

TEST_F(StreamingPipelineTest, FrameStatisticsAreLoggedEveryTwentiethActiveFrame)
{
    QEL::Testing::DebugLogFile log;
    speak(1, 5); // not active: not counted
    pipeline->start();
    pause(45);
    pipeline->stop();

    std::vector<std::string> statistics;
    std::ranges::copy_if(log.messages(), std::back_inserter(statistics),
                         [](const std::string& message) { return message.starts_with("Audio frame #"); });
    EXPECT_THAT(statistics, ElementsAre("Audio frame #20: 1600 samples, RMS=0.001000, level=0.0100",
                                        "Audio frame #40: 1600 samples, RMS=0.001000, level=0.0100"));
}
