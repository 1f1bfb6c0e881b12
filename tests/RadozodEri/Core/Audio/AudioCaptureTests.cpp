#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "Platform/Audio/AudioSources.h"
#include "RadozodEri/Core/Audio/WaveFile.h"
#include "Support/LogCapture.h"
#include "Support/Microphone.h"
#include "Support/Shell.h"
#include "Support/SoundServer.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

using namespace RadozodEri;
using TestSupport::MicrophoneFeed;
using TestSupport::PrivateSoundServer;
using TestSupport::waitUntil;

namespace {

// Captures from sound servers of their own: sources of several formats, and
// counts of the recordings a server serves.
class AudioCapture : public testing::Test {
protected:
    PrivateSoundServer server{
        {{.name = "studio", .rate = 48000, .channels = 2}, {.name = "headset", .rate = 16000, .channels = 2}}};
    TestSupport::ScopedEnvironment pulse{"PULSE_SERVER", server.address()};

    std::uint32_t indexOf(const std::string& name)
    {
        const Platform::Audio::SoundServerConnection connection("tests");
        for (const auto& source : Platform::Audio::recordingSources(connection))
            if (source.name == name)
                return source.index;
        throw std::runtime_error("no source " + name);
    }

    std::size_t recordings()
    {
        const std::string list = server.pactl("list short source-outputs");
        return static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n'));
    }

    // Interleaved frames of two channels.
    static std::vector<float> stereo(const std::vector<float>& left, const std::vector<float>& right)
    {
        std::vector<float> frames;
        for (std::size_t i = 0; i < left.size(); ++i) {
            frames.push_back(left[i]);
            frames.push_back(right[i]);
        }
        return frames;
    }
};

// Collects what a capture hands to its callback.
struct Received {
    std::mutex mutex;
    std::vector<std::vector<float>> arrays;

    AudioBufferCallback callback()
    {
        return [this](const std::vector<float>& samples) {
            const std::lock_guard lock(mutex);
            arrays.push_back(samples);
        };
    }
    std::size_t sampleCount()
    {
        const std::lock_guard lock(mutex);
        std::size_t count = 0;
        for (const auto& array : arrays)
            count += array.size();
        return count;
    }
    std::vector<std::vector<float>> copy()
    {
        const std::lock_guard lock(mutex);
        return arrays;
    }
};

} // namespace

TEST_F(AudioCapture, AStereoSourceAtFortyEightKilohertzYieldsSixteenKilohertzMono)
{
    const std::vector<float> tone = TestSupport::sine(48000, 250, 48000, 0.4f);
    AudioProcessor processor;
    Received received;
    processor.startRecordingLive(indexOf("studio"), received.callback());
    const MicrophoneFeed feed(stereo(tone, tone), server.pipeOf("studio"));
    ASSERT_TRUE(waitUntil([&] { return received.sampleCount() >= 15000; }));
    processor.stopRecording();

    const auto arrays = received.copy();
    // 1600 frames at 48 kHz are 533⅓ at 16 kHz.
    EXPECT_EQ(arrays[0].size(), 533u);
    float peak = 0;
    for (std::size_t i = 2; i + 2 < arrays.size(); ++i)
        for (float sample : arrays[i])
            peak = std::max(peak, std::abs(sample));
    EXPECT_NEAR(peak, 0.4f, 0.02f);
    EXPECT_EQ(processor.audioSamples().size(), received.sampleCount());
    EXPECT_EQ(processor.lastInputDevice(), indexOf("studio"));
}

TEST_F(AudioCapture, ASixteenKilohertzSourceGivesItsFirstChannelUnconverted)
{
    AudioProcessor processor;
    Received received;
    processor.startRecordingLive(indexOf("headset"), received.callback());
    const MicrophoneFeed feed(stereo(std::vector<float>(16000, 0.25f), std::vector<float>(16000, -0.5f)),
                              server.pipeOf("headset"));
    ASSERT_TRUE(waitUntil([&] { return received.sampleCount() >= 16000; }));
    for (const auto& array : received.copy()) {
        EXPECT_EQ(array.size(), 1600u);
        EXPECT_TRUE(std::all_of(array.begin(), array.end(), [](float sample) { return sample == 0.25f; }));
    }
}

TEST_F(AudioCapture, SuppressedInputIsSilenceOfTheSameLength)
{
    AudioProcessor processor;
    processor.setInputSuppressed(true);
    Received received;
    processor.startRecordingLive(indexOf("headset"), received.callback());
    const MicrophoneFeed feed(std::vector<float>(16000, 0.5f), server.pipeOf("headset"));
    ASSERT_TRUE(waitUntil([&] { return received.sampleCount() >= 8000; }));
    for (const auto& array : received.copy()) {
        EXPECT_EQ(array.size(), 1600u);
        EXPECT_TRUE(std::all_of(array.begin(), array.end(), [](float sample) { return sample == 0; }));
    }
    EXPECT_EQ(processor.audioEnergy().at(1), AudioEnergy{});
}

TEST_F(AudioCapture, ReplacedCapturesAreStoppedSoAudioIsNeverDoubled)
{
    AudioProcessor processor;
    processor.startRecordingLive(indexOf("headset"));
    processor.startRecordingLive(indexOf("headset"));
    EXPECT_EQ(recordings(), 1u);

    processor.pauseRecording();
    processor.resumeRecordingLive(indexOf("studio"));
    EXPECT_EQ(recordings(), 1u);
    EXPECT_EQ(processor.lastInputDevice(), indexOf("headset"));
    // The samples are kept and grow from the other device.
    const MicrophoneFeed feed(std::vector<float>(96000, 0.1f), server.pipeOf("studio"));
    ASSERT_TRUE(waitUntil([&] { return processor.audioSamples().size() >= 8000; }));

    processor.stopRecording();
    EXPECT_EQ(recordings(), 0u);
    processor.resumeRecordingLive(indexOf("headset")); // nothing is stored to resume
    EXPECT_EQ(recordings(), 0u);
}

TEST_F(AudioCapture, AnUnknownDeviceIsLoggedAndTheDefaultSourceRecords)
{
    TestSupport::LogCapture log;
    AudioProcessor processor;
    processor.startRecordingLive(999999);
    EXPECT_EQ(recordings(), 1u);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "Error setting Audio Unit property: PulseAudio error 5 (No such entity): no source that "
                        "records has the index 999999"),
              log.lines.end());
}

TEST_F(AudioCapture, AStreamWhoseConsumerStopsStopsTheCapture)
{
    AudioProcessor processor;
    {
        auto [stream, continuation] = processor.startStreamingRecordingLive(indexOf("headset"));
        const MicrophoneFeed feed(std::vector<float>(16000, 0.3f), server.pipeOf("headset"));
        const std::optional<std::vector<float>> first = stream.next();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->size(), 1600u);
        EXPECT_EQ(recordings(), 1u);
    }
    EXPECT_EQ(recordings(), 0u);
    EXPECT_FALSE(processor.audioBufferCallback());
}

TEST_F(AudioCapture, AFailedStreamingStartEndsTheStreamWithItsError)
{
    AudioProcessor processor;
    TestSupport::ScopedEnvironment nowhere("PULSE_SERVER", "unix:/nonexistent/socket");
    auto [stream, continuation] = processor.startStreamingRecordingLive();
    EXPECT_THROW(stream.next(), Platform::Audio::SoundServerError);
}

TEST_F(AudioCapture, DevicesAreTheSourcesThatRecord)
{
    std::vector<std::uint32_t> ids;
    for (const AudioDevice& device : AudioProcessor::getAudioDevices())
        ids.push_back(device.id);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{indexOf("studio"), indexOf("headset")}));
    EXPECT_TRUE(AudioProcessor::requestRecordPermission());
}
