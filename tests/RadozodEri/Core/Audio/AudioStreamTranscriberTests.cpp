#include "RadozodEri/Core/Audio/AudioStreamTranscriber.h"

#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Utilities/TextUtilities.h"
#include "RuntimeCore/Logging/Logging.h"
#include "Support/Microphone.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

using namespace RadozodEri;
using State = AudioStreamTranscriber::State;
using TestSupport::waitUntil;

namespace {

// A microphone whose buffer the test sets; with `growing`, every read finds
// 16,001 samples more than the one before.
class ScriptedMicrophone : public AudioProcessor {
public:
    std::vector<float> audioSamples() const override
    {
        const std::lock_guard lock(mutex_);
        ++reads_;
        if (growing)
            return std::vector<float>(static_cast<std::size_t>(reads_) * 16001, 0.0f);
        return std::vector<float>(sampleCount_, 0.0f);
    }
    void startRecordingLive(std::optional<std::uint32_t>, AudioBufferCallback) override { ++starts; }
    void stopRecording() override { ++stops; }

    void setSampleCount(std::size_t count)
    {
        const std::lock_guard lock(mutex_);
        sampleCount_ = count;
    }
    int reads() const
    {
        const std::lock_guard lock(mutex_);
        return reads_;
    }

    std::atomic<bool> growing = false;
    std::atomic<int> starts = 0;
    std::atomic<int> stops = 0;

private:
    mutable std::mutex mutex_;
    mutable int reads_ = 0;
    std::size_t sampleCount_ = 0;
};

// Answers each transcription with the next scripted segment list, and stops
// streaming once none is left.
class ScriptedTranscriber : public AudioStreamTranscriber {
public:
    ScriptedTranscriber(std::shared_ptr<AudioProcessing> microphone, int requiredSegments, StateChangeCallback callback)
        : AudioStreamTranscriber(nullptr, nullptr, nullptr, nullptr, nullptr, std::move(microphone), {},
                                 requiredSegments, 0.3f, 20, false, std::move(callback))
    {
    }

    std::vector<std::size_t> transcribedSizes() const
    {
        const std::lock_guard lock(mutex_);
        return sizes_;
    }

    std::deque<std::vector<TranscriptionSegment>> script;
    bool stopWhenDone = true;
    bool failWhenDone = false;

protected:
    std::shared_ptr<TranscriptionResult> transcribeAudioSamples(const std::vector<float>& samples) override
    {
        std::optional<std::vector<TranscriptionSegment>> segments;
        {
            const std::lock_guard lock(mutex_);
            sizes_.push_back(samples.size());
            if (!script.empty()) {
                segments = script.front();
                script.pop_front();
            }
        }
        if (!segments) {
            if (failWhenDone)
                throw std::runtime_error("no more script");
            if (stopWhenDone)
                stopStreamTranscription();
            return nullptr;
        }
        return std::make_shared<TranscriptionResult>("", *segments, "en", TranscriptionTimings{});
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::size_t> sizes_;
};

TranscriptionSegment segment(std::string text, float start, float end)
{
    return {.start = start, .end = end, .text = std::move(text)};
}

// Every line the engine's logger emits meanwhile, from any thread.
class ThreadSafeLog {
public:
    ThreadSafeLog()
    {
        RuntimeCore::Logging::shared().setLogLevel(RuntimeCore::LogLevel::debug);
        RuntimeCore::Logging::shared().setLoggingCallback([this](const std::string& line) {
            const std::lock_guard lock(mutex_);
            lines_.push_back(line);
        });
    }
    ~ThreadSafeLog()
    {
        RuntimeCore::Logging::shared().setLoggingCallback(nullptr);
        RuntimeCore::Logging::shared().setLogLevel(RuntimeCore::LogLevel::none);
    }
    long count(const std::string& line) const
    {
        const std::lock_guard lock(mutex_);
        return std::count(lines_.begin(), lines_.end(), line);
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// A sound server with one microphone, so that microphone access is granted.
class StreamTranscriber : public testing::Test {
protected:
    std::unique_ptr<ScriptedTranscriber> transcriber(int requiredSegments = 2)
    {
        return std::make_unique<ScriptedTranscriber>(microphone, requiredSegments,
                                                     [this](const State& before, const State& after) {
                                                         const std::lock_guard lock(changesMutex);
                                                         changes.emplace_back(before, after);
                                                     });
    }

    static bool ended(std::future<void>& streaming, std::chrono::seconds limit = std::chrono::seconds(20))
    {
        return streaming.wait_for(limit) == std::future_status::ready;
    }

    TestSupport::PrivateSoundServer server{{{.name = "mic"}}};
    TestSupport::ScopedEnvironment pulse{"PULSE_SERVER", server.address()};
    ThreadSafeLog log;
    std::shared_ptr<ScriptedMicrophone> microphone = std::make_shared<ScriptedMicrophone>();
    std::mutex changesMutex;
    std::vector<std::pair<State, State>> changes;
};

} // namespace

TEST_F(StreamTranscriber, StartsOnceStopsAndReportsEveryChangeWithBothRecords)
{
    const auto streamer = transcriber();
    auto streaming = streamer->startStreamTranscription();
    ASSERT_TRUE(waitUntil([&] { return streamer->state().currentText == "Waiting for speech..."; }));

    auto second = streamer->startStreamTranscription();
    EXPECT_TRUE(ended(second, std::chrono::seconds(0))) << "a second start returns at once";
    EXPECT_EQ(microphone->starts, 1);
    EXPECT_EQ(log.count("Realtime transcription has started"), 1);

    streamer->stopStreamTranscription();
    ASSERT_TRUE(ended(streaming));
    EXPECT_EQ(microphone->stops, 1);
    EXPECT_EQ(log.count("Realtime transcription has ended"), 1);

    const std::lock_guard lock(changesMutex);
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes.front().first, State{});
    EXPECT_TRUE(changes.front().second.isRecording);
    for (std::size_t i = 1; i < changes.size(); ++i)
        EXPECT_EQ(changes[i].first, changes[i - 1].second) << "change " << i;
    EXPECT_EQ(changes.back().second, streamer->state());
    EXPECT_FALSE(streamer->state().isRecording);
}

TEST_F(StreamTranscriber, ARefusedMicrophoneLeavesItIdle)
{
    const TestSupport::ScopedEnvironment nowhere("PULSE_SERVER", "unix:/nonexistent/socket");
    const auto streamer = transcriber();
    auto streaming = streamer->startStreamTranscription();
    EXPECT_TRUE(ended(streaming, std::chrono::seconds(0)));
    EXPECT_EQ(log.count("Microphone access was not granted."), 1);
    EXPECT_EQ(microphone->starts, 0);
    EXPECT_FALSE(streamer->state().isRecording);
}

TEST_F(StreamTranscriber, WithoutVoiceDetectionMoreThanOneSecondOfNewAudioIsTranscribed)
{
    const auto streamer = transcriber();
    streamer->stopWhenDone = false;
    microphone->setSampleCount(16000);
    auto streaming = streamer->startStreamTranscription();
    ASSERT_TRUE(waitUntil([&] { return microphone->reads() >= 3; }));
    EXPECT_TRUE(streamer->transcribedSizes().empty()) << "one second is not enough";

    microphone->setSampleCount(16001);
    ASSERT_TRUE(waitUntil([&] { return !streamer->transcribedSizes().empty(); }));
    EXPECT_EQ(streamer->transcribedSizes().front(), 16001u);
    EXPECT_EQ(streamer->state().lastBufferSize, 16001);
    streamer->stopStreamTranscription();
    ASSERT_TRUE(ended(streaming));
    EXPECT_EQ(streamer->transcribedSizes().size(), 1u) << "no new audio after it";
}

TEST_F(StreamTranscriber, AllButTheNewestSegmentsAreConfirmedOnce)
{
    const auto a = segment(" a", 0, 10);
    const auto b = segment(" b", 3, 4);
    const auto u = segment(" u", 4, 5);
    const auto v = segment(" v", 5, 6);
    const auto streamer = transcriber(2);
    streamer->script = {
        {a, b, u, v, segment(" w", 6, 7)},
        // The run [a] was confirmed already: its later end moves the
        // confirmed end, but it is not appended again.
        {a, u, v},
        // Two segments: nothing to confirm.
        {u, v},
    };
    microphone->growing = true;

    auto streaming = streamer->startStreamTranscription();
    ASSERT_TRUE(ended(streaming));

    const State state = streamer->state();
    EXPECT_EQ(state.confirmedSegments, (std::vector{a, b, u}));
    EXPECT_EQ(state.lastConfirmedSegmentEndSeconds, 10.0f);
    EXPECT_EQ(state.unconfirmedSegments, (std::vector{u, v}));
    EXPECT_EQ(streamer->transcribedSizes().size(), 4u);
}

TEST_F(StreamTranscriber, ANegativeRequiredCountConfirmsEverySegment)
{
    const auto a = segment(" a", 0, 1);
    const auto b = segment(" b", 1, 2);
    const auto streamer = transcriber(-1);
    streamer->script = {{a, b}};
    microphone->growing = true;

    auto streaming = streamer->startStreamTranscription();
    ASSERT_TRUE(ended(streaming));

    EXPECT_EQ(streamer->state().confirmedSegments, (std::vector{a, b}));
    EXPECT_TRUE(streamer->state().unconfirmedSegments.empty());
}

TEST_F(StreamTranscriber, AFailedPassEndsTheLoopAndTheMicrophoneRecordsUntilTheStop)
{
    const auto streamer = transcriber();
    streamer->failWhenDone = true;
    microphone->growing = true;
    auto streaming = streamer->startStreamTranscription();
    ASSERT_TRUE(ended(streaming));
    EXPECT_EQ(log.count("Error: no more script"), 1);
    EXPECT_TRUE(streamer->state().isRecording);
    EXPECT_EQ(microphone->stops, 0);

    streamer->stopStreamTranscription();
    EXPECT_EQ(microphone->stops, 1);
}

TEST(StreamTranscriberEarlyStop, StopsOnRepetitionOnlyWithAThresholdAndOnLowProbability)
{
    TranscriptionProgress repetitive;
    repetitive.tokens = std::vector<int>(30, 7);
    const float ratio =
        TextUtilities::compressionRatio(std::vector<int>(repetitive.tokens.end() - 20, repetitive.tokens.end()));
    ASSERT_GT(ratio, 2.4f);

    DecodingOptions noThresholds;
    noThresholds.compressionRatioThreshold.reset();
    noThresholds.logProbThreshold.reset();
    TranscriptionProgress unlikely = repetitive;
    unlikely.avgLogprob = -3.0f;

    struct Case {
        const char* name;
        TranscriptionProgress progress;
        DecodingOptions options;
        int window;
        std::optional<bool> answer;
    };
    const Case cases[] = {
        {"repetitive beyond the threshold", repetitive, DecodingOptions{}, 20, false},
        {"no more tokens than the window", repetitive, DecodingOptions{}, 30, std::nullopt},
        {"no compression threshold", repetitive, noThresholds, 20, std::nullopt},
        {"no log-probability threshold", unlikely, noThresholds, 20, std::nullopt},
        {"below the log-probability threshold", unlikely, DecodingOptions{.compressionRatioThreshold = 100.0f}, 20,
         false},
    };
    for (const Case& test : cases)
        EXPECT_EQ(AudioStreamTranscriber::shouldStopEarly(test.progress, test.options, test.window), test.answer)
            << test.name;
}

TEST(StreamTranscriberLive, CapturedBuffersReachTheStateAndTheTranscription)
{
    TestSupport::PrivateSoundServer server{{{.name = "mic"}}};
    const TestSupport::ScopedEnvironment pulse("PULSE_SERVER", server.address());
    const auto microphone = std::make_shared<AudioProcessor>();
    ScriptedTranscriber streamer(microphone, 2, {});
    streamer.stopWhenDone = false;

    auto streaming = streamer.startStreamTranscription();
    // Spoken once the capture hands its buffers on.
    const TestSupport::MicrophoneFeed feed(std::vector<float>(48000, 0.2f), server.pipeOf("mic"));
    ASSERT_TRUE(waitUntil([&] { return !streamer.transcribedSizes().empty(); }));
    EXPECT_GT(streamer.transcribedSizes().front(), 16000u);
    // The energy arrives through the update thread, in its own time.
    EXPECT_TRUE(waitUntil([&] { return !streamer.state().bufferEnergy.empty(); }));
    streamer.stopStreamTranscription();
    ASSERT_TRUE(streaming.wait_for(std::chrono::seconds(20)) == std::future_status::ready);
}
