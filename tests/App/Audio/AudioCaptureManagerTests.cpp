#include "App/Audio/AudioCaptureManager.h"

#include "App/Doubles/DebugLogFile.h"
#include "Platform/ErrorCauses.h"
#include "Platform/Vector/RootMeanSquare.h"
#include "Support/CoreApplication.h"
#include "Support/DesktopTest.h"
#include "Support/Microphone.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <numbers>
#include <optional>
#include <thread>

using QEL::AudioCaptureError;
using QEL::AudioCaptureManager;
using TestSupport::MicrophoneFeed;
using TestSupport::PrivateSoundServer;
using TestSupport::ScopedEnvironment;
using TestSupport::waitUntil;

namespace {

constexpr std::size_t bufferLength = AudioCaptureManager::samplesPerBuffer;

// A sine tone of `frames` frames, interleaved over `channels`.
std::vector<float> tone(double frequency, float amplitude, std::size_t frames, unsigned rate, unsigned channels = 1)
{
    std::vector<float> samples;
    samples.reserve(frames * channels);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const double phase = 2 * std::numbers::pi * frequency * static_cast<double>(frame) / rate;
        samples.insert(samples.end(), channels, amplitude * static_cast<float>(std::sin(phase)));
    }
    return samples;
}

// The frequency of a steady tone, from its rising zero crossings.
double frequencyOf(std::span<const float> samples, unsigned rate)
{
    std::vector<std::size_t> crossings;
    for (std::size_t index = 1; index < samples.size(); ++index)
        if (samples[index - 1] < 0 && samples[index] >= 0)
            crossings.push_back(index);
    if (crossings.size() < 2)
        return 0;
    return static_cast<double>(crossings.size() - 1) * rate / static_cast<double>(crossings.back() - crossings.front());
}

// What one recording handed to its owner, as the owner saw it.
class Recording {
public:
    explicit Recording(const AudioCaptureManager& manager) : manager_(manager) {}

    AudioCaptureManager::BufferCallback onBuffer()
    {
        return [this](const std::vector<float>& buffer) {
            buffers.push_back(buffer);
            gains.push_back(manager_.agcGain()); // the gain the buffer was scaled by
            allOnMainThread = allOnMainThread && std::this_thread::get_id() == mainThread_;
        };
    }
    AudioCaptureManager::EndCallback onEnded()
    {
        return [this](const AudioCaptureError& error) { end = error; };
    }

    std::size_t sampleCount() const { return buffers.size() * bufferLength; }

    // What the microphone heard: each buffer divided by its gain.
    std::vector<float> input() const
    {
        std::vector<float> samples;
        for (std::size_t index = 0; index < buffers.size(); ++index)
            for (float sample : buffers[index])
                samples.push_back(sample / gains[index]);
        return samples;
    }

    std::vector<std::vector<float>> buffers;
    std::vector<float> gains;
    std::optional<AudioCaptureError> end;
    bool allOnMainThread = true;

private:
    const AudioCaptureManager& manager_;
    std::thread::id mainThread_ = std::this_thread::get_id();
};

// One second of a 1 kHz tone into the microphone behind `pipe`, which
// delivers `rate` Hz over `channels`: it arrives as 100 ms buffers on the main
// thread, with its frequency and, once the gain is taken out, its level.
void expectToneArrivesIntact(const std::filesystem::path& pipe, unsigned rate, unsigned channels)
{
    constexpr double frequency = 1000;
    constexpr float amplitude = 0.05f; // stays below clipping at the starting gain of 15
    AudioCaptureManager manager;
    Recording recording(manager);
    manager.startCapture(recording.onBuffer(), recording.onEnded());
    MicrophoneFeed feed(tone(frequency, amplitude, rate, rate, channels), pipe);
    // A converting server may hold back the last few samples.
    const std::size_t expected = rate == AudioCaptureManager::sampleRate ? 10 * bufferLength : 9 * bufferLength;
    ASSERT_TRUE(waitUntil([&] { return feed.finished() && recording.sampleCount() >= expected; }))
        << recording.sampleCount() << " samples arrived";
    manager.stopCapture();

    EXPECT_TRUE(std::all_of(recording.buffers.begin(), recording.buffers.end(),
                            [](const std::vector<float>& buffer) { return buffer.size() == bufferLength; }));
    EXPECT_TRUE(recording.allOnMainThread);
    EXPECT_FALSE(recording.end);
    const std::vector<float> heard = recording.input();
    const auto start = std::find_if(heard.begin(), heard.end(), [](float s) { return std::abs(s) > amplitude / 2; });
    ASSERT_GE(heard.end() - start, 12000) << "the tone did not arrive";
    const std::span<const float> steady(start + 4000, start + 12000);
    EXPECT_NEAR(Platform::rootMeanSquare(steady), amplitude / std::numbers::sqrt2_v<float>, amplitude * 0.02f);
    EXPECT_NEAR(frequencyOf(steady, AudioCaptureManager::sampleRate), frequency, 5);
}

class AudioCapture : public testing::Test {
protected:
    static void SetUpTestSuite() { TestSupport::ensureCoreApplication(); }

    QEL::Testing::DebugLogFile log;
};

class DesktopAudioCapture : public TestSupport::DesktopTest {
protected:
    static void SetUpTestSuite() { TestSupport::ensureCoreApplication(); }
};

// `samples` as `control` levels them, which moves the control's state on.
std::vector<float> levelled(QEL::GainControl& control, std::vector<float> samples)
{
    control.process(samples);
    return samples;
}

} // namespace

TEST_F(DesktopAudioCapture, AToneFromTheDesktopMicrophoneArrivesIntact)
{
    expectToneArrivesIntact(TestSupport::desktopMicrophone(), 16000, 1);
}

TEST_F(AudioCapture, TheServerConvertsAStereoMicrophoneAt48kHz)
{
    PrivateSoundServer server({{.name = "mic", .rate = 48000, .channels = 2}});
    ScopedEnvironment pulse("PULSE_SERVER", server.address());
    expectToneArrivesIntact(server.pipeOf("mic"), 48000, 2);
}

TEST_F(AudioCapture, StartingWhileRecordingChangesNothingAndTheGainOutlivesAStop)
{
    PrivateSoundServer server({{.name = "mic"}});
    ScopedEnvironment pulse("PULSE_SERVER", server.address());
    AudioCaptureManager manager;
    Recording first(manager);
    Recording ignored(manager);
    manager.startCapture(first.onBuffer(), first.onEnded());
    manager.startCapture(ignored.onBuffer(), ignored.onEnded());

    const std::vector<float> spoken = tone(440, 0.1f, 3 * bufferLength, 16000);
    {
        MicrophoneFeed feed({spoken.begin(), spoken.begin() + 2 * bufferLength}, server.pipeOf("mic"));
        ASSERT_TRUE(waitUntil([&] { return first.buffers.size() >= 2; }));
    }
    // Exactly once, levelled from the starting gain.
    QEL::GainControl expected;
    EXPECT_EQ(first.buffers.size(), 2u);
    EXPECT_EQ(first.buffers[0], levelled(expected, {spoken.begin(), spoken.begin() + bufferLength}));
    EXPECT_EQ(first.buffers[1], levelled(expected, {spoken.begin() + bufferLength, spoken.begin() + 2 * bufferLength}));
    EXPECT_TRUE(ignored.buffers.empty());

    manager.stopCapture();
    EXPECT_FALSE(manager.isCapturing());
    EXPECT_EQ(manager.agcGain(), expected.agcGain);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"AudioQueue capture started (16kHz Float32 mono)",
                                                        "AudioQueue capture stopped"}));

    Recording second(manager);
    manager.startCapture(second.onBuffer(), second.onEnded());
    MicrophoneFeed feed({spoken.begin() + 2 * bufferLength, spoken.end()}, server.pipeOf("mic"));
    ASSERT_TRUE(waitUntil([&] { return second.buffers.size() == 1; }));
    EXPECT_EQ(second.buffers[0], levelled(expected, {spoken.begin() + 2 * bufferLength, spoken.end()}));
    EXPECT_EQ(first.buffers.size(), 2u);
}

TEST_F(AudioCapture, NothingReachesARecordingAfterItsStopOrItsManagersEnd)
{
    PrivateSoundServer server({{.name = "mic"}});
    ScopedEnvironment pulse("PULSE_SERVER", server.address());
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "manager destroyed" : "capture stopped");
        int buffers = 0;
        bool ended = false;
        auto manager = std::make_unique<AudioCaptureManager>();
        manager->startCapture([&](const std::vector<float>&) { ++buffers; },
                              [&](const AudioCaptureError&) { ended = true; });
        MicrophoneFeed feed(tone(440, 0.1f, 30 * bufferLength, 16000), server.pipeOf("mic"));
        ASSERT_TRUE(waitUntil([&] { return buffers > 0; }));
        // Not turning the event loop lets buffers queue up for the main thread.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const int delivered = buffers;
        if (destroy)
            manager.reset();
        else
            manager->stopCapture();
        waitUntil([] { return false; }, std::chrono::milliseconds(500));
        EXPECT_EQ(buffers, delivered);
        EXPECT_FALSE(ended);
    }
}

TEST_F(AudioCapture, LosingTheMicrophoneOrTheServerEndsTheRecordingWithAnError)
{
    struct Loss {
        const char* name;
        std::function<void(PrivateSoundServer&)> cause;
        const char* description;
    };
    const Loss losses[] = {
        {"microphone removed", [](PrivateSoundServer& server) { server.removeSource("mic"); },
         "Audio capture ended: the microphone went away (PulseAudio error "},
        {"server killed", [](PrivateSoundServer& server) { server.signal(SIGKILL); },
         "Audio capture ended: the sound server went away (PulseAudio error "},
    };
    for (const Loss& loss : losses) {
        SCOPED_TRACE(loss.name);
        QEL::Testing::DebugLogFile debugLog;
        PrivateSoundServer server({{.name = "mic"}});
        ScopedEnvironment pulse("PULSE_SERVER", server.address());
        AudioCaptureManager manager;
        Recording recording(manager);
        manager.startCapture(recording.onBuffer(), recording.onEnded());
        MicrophoneFeed feed(tone(440, 0.1f, 100 * bufferLength, 16000), server.pipeOf("mic"));
        ASSERT_TRUE(waitUntil([&] { return !recording.buffers.empty(); }));

        loss.cause(server);
        ASSERT_TRUE(waitUntil([&] { return recording.end.has_value(); }));
        EXPECT_EQ(recording.end->kind(), AudioCaptureError::Kind::captureEnded);
        EXPECT_TRUE(std::string(recording.end->what()).starts_with(loss.description)) << recording.end->what();
        EXPECT_FALSE(manager.isCapturing());
        EXPECT_EQ(debugLog.messages().back(), recording.end->what());
        // Nothing left to record from: no microphone, or no server.
        EXPECT_THROW(manager.startCapture(recording.onBuffer(), recording.onEnded()), AudioCaptureError);
    }
}

TEST_F(AudioCapture, WithoutAnInputToRecordStartingFailsWithNoInputDevice)
{
    enum class Server { none, withOnlyAMonitor, hanging };
    struct Setting {
        const char* name;
        Server server;
        const char* logged;
    };
    const Setting settings[] = {
        {"no sound server", Server::none, "Failed to create AudioQueue: PulseAudio error 6 (Connection refused)"},
        {"only the monitor of an output", Server::withOnlyAMonitor,
         "Failed to create AudioQueue: PulseAudio error 5 (No such entity): the default source \"speaker.monitor\" is "
         "not an input"},
        // Waits out the time limit.
        {"a server that does not answer", Server::hanging,
         "Failed to create AudioQueue: PulseAudio error 8 (Timeout): the sound server did not answer in time"},
    };
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.name);
        QEL::Testing::DebugLogFile debugLog;
        std::optional<PrivateSoundServer> server;
        if (setting.server == Server::withOnlyAMonitor)
            server.emplace(std::vector<PrivateSoundServer::PipeSource>{});
        if (setting.server == Server::hanging) {
            server.emplace(std::vector<PrivateSoundServer::PipeSource>{{.name = "mic"}});
            server->signal(SIGSTOP);
        }
        ScopedEnvironment pulse("PULSE_SERVER", server ? server->address() : "unix:/nonexistent/qel-sound-server");
        AudioCaptureManager manager;
        bool called = false;
        try {
            manager.startCapture([&](const std::vector<float>&) { called = true; },
                                 [&](const AudioCaptureError&) { called = true; });
            ADD_FAILURE() << "capture started";
        } catch (const AudioCaptureError& error) {
            EXPECT_EQ(error, AudioCaptureError::noInputDevice());
            EXPECT_STREQ(error.what(), "No audio input device found");
            // The server's error stays inside it; the log has it once, below.
            const std::string serverError =
                std::string(setting.logged).substr(std::strlen("Failed to create AudioQueue: "));
            EXPECT_EQ(Platform::describingCauses(error), "No audio input device found (because: " + serverError + ")");
        }
        EXPECT_FALSE(manager.isCapturing());
        EXPECT_EQ(debugLog.messages(), std::vector<std::string>{setting.logged});
        waitUntil([] { return false; }, std::chrono::milliseconds(100));
        EXPECT_FALSE(called);
    }
}
