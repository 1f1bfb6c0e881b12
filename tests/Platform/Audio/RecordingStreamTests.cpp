#include "Platform/Audio/RecordingStream.h"

#include "Platform/Audio/AudioSources.h"
#include "Support/Microphone.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

using namespace Platform::Audio;

TEST(RecordingStream, AStreamThatNeverStartedLeavesNothingBehindOnTheServer)
{
    TestSupport::PrivateSoundServer server({{.name = "mic"}});
    TestSupport::ScopedEnvironment pulse("PULSE_SERVER", server.address());
    const SoundServerConnection connection("tests");
    const auto recordings = [&] { return server.pactl("list short source-outputs"); };
    {
        const RecordingStream stream(connection, 16000, {});
        EXPECT_NE(recordings(), "");
    }
    EXPECT_TRUE(TestSupport::waitUntil([&] { return recordings().empty(); }));
}

TEST(RecordingStream, AChosenSourceIsRecordedInItsOwnRateAndChannels)
{
    TestSupport::PrivateSoundServer server({{.name = "mic"}, {.name = "studio", .rate = 48000, .channels = 2}});
    TestSupport::ScopedEnvironment pulse("PULSE_SERVER", server.address());
    const SoundServerConnection connection("tests");
    std::vector<AudioSource> sources = recordingSources(connection);
    const auto studio = std::find_if(sources.begin(), sources.end(), [](const auto& s) { return s.name == "studio"; });
    ASSERT_NE(studio, sources.end());
    EXPECT_EQ(studio->sampleRate, 48000u);

    std::mutex mutex;
    std::vector<float> recorded;
    RecordingStream stream(connection, recordingSource(connection, studio->index),
                           {[&](std::span<const float> samples) {
                                const std::lock_guard lock(mutex);
                                recorded.insert(recorded.end(), samples.begin(), samples.end());
                            },
                            {}});
    EXPECT_EQ(stream.sampleRate(), 48000u);
    EXPECT_EQ(stream.channelCount(), 2u);
    stream.start();
    std::vector<float> frames(9600);
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = static_cast<float>(i % 2 == 0 ? i : -static_cast<float>(i)) / 10000.0f;
    const TestSupport::MicrophoneFeed feed(frames, server.pipeOf("studio"));
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        const std::lock_guard lock(mutex);
        return recorded.size() >= frames.size();
    }));
    const std::lock_guard lock(mutex);
    EXPECT_TRUE(std::equal(frames.begin(), frames.end(), recorded.begin())) << "interleaved, unconverted";
    EXPECT_THROW(recordingSource(connection, 999999), SoundServerError);
}
