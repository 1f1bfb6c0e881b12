#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "RadozodEri/Core/Audio/PCMBufferAppending.h"
#include "RadozodEri/Core/Audio/WaveFile.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "Support/LogCapture.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <numbers>

using namespace RadozodEri;
using ChannelMode = AudioInputConfig::ChannelMode;
using Platform::Audio::PCMBuffer;

namespace {

bool logged(const TestSupport::LogCapture& log, const std::string& line)
{
    return std::find(log.lines.begin(), log.lines.end(), line) != log.lines.end();
}

bool loggedStart(const TestSupport::LogCapture& log, const std::string& start)
{
    return std::any_of(log.lines.begin(), log.lines.end(),
                       [&](const std::string& line) { return line.starts_with(start); });
}

float peakOf(const std::vector<float>& samples)
{
    float peak = 0;
    for (float sample : samples)
        peak = std::max(peak, std::abs(sample));
    return peak;
}

// The sample at 16 kHz that a 16 kHz signal has at `index`; the resampler's
// filter leaves the middle of a slow sine all but unchanged.
float sineAt(std::size_t index, double frequency, float peak)
{
    return peak * static_cast<float>(std::sin(2 * std::numbers::pi * frequency * static_cast<double>(index) / 16000));
}

WhisperError loadError(const std::function<void()>& load)
{
    try {
        load();
    } catch (const WhisperError& error) {
        return error;
    }
    ADD_FAILURE() << "no WhisperError";
    return WhisperError::initializationError("none");
}

class AudioFileLoading : public testing::Test {
protected:
    TestSupport::TemporaryFolder folder;

    std::string write(const std::string& name, unsigned rate, unsigned channels, const std::vector<float>& interleaved,
                      bool sixteenBit = false)
    {
        const std::string path = folder / name;
        TestSupport::writeWaveFile(path, rate, channels, interleaved, sixteenBit);
        return path;
    }

    // Two seconds of 44.1 kHz stereo: a 200 Hz sine of peak 0.5 on the
    // left, one of 300 Hz and peak 0.25 on the right.
    std::string stereo()
    {
        const std::vector<float> left = TestSupport::sine(88200, 200, 44100, 0.5f);
        const std::vector<float> right = TestSupport::sine(88200, 300, 44100, 0.25f);
        std::vector<float> interleaved;
        for (std::size_t i = 0; i < left.size(); ++i) {
            interleaved.push_back(left[i]);
            interleaved.push_back(right[i]);
        }
        return write("stereo.wav", 44100, 2, interleaved);
    }
};

} // namespace

TEST_F(AudioFileLoading, SixteenKilohertzMonoIsReadUnchangedBetweenTheTimes)
{
    std::vector<float> samples(48000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(i % 1000) / 1000.0f;
    const std::string path = write("mono.wav", 16000, 1, samples);

    const std::vector<float> middle = AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels(), 1.0, 2.0);
    EXPECT_EQ(middle, std::vector<float>(samples.begin() + 16000, samples.begin() + 32000));
    // An end past the file is the file's end.
    EXPECT_EQ(AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels(), 0.0, 99.0), samples);

    const PCMBuffer buffer = AudioProcessor::loadAudio(path, ChannelMode::sumChannels(), 1.0, 2.0);
    EXPECT_EQ(buffer.format(), (Platform::Audio::AudioFormat{16000, 1}));
    EXPECT_EQ(buffer.frameLength(), 16000u);
    EXPECT_EQ(AudioProcessing::loadAudioAsync(path).get().frameLength(), 48000u);
}

TEST_F(AudioFileLoading, StereoIsMixedByTheChannelModeAndResampled)
{
    const std::string path = stereo();
    TestSupport::LogCapture log;
    const auto load = [&](const ChannelMode& mode) { return AudioProcessor::loadAudioAsFloatArray(path, mode); };

    const std::vector<float> sum = load(ChannelMode::sumChannels());
    ASSERT_EQ(sum.size(), 32000u);
    EXPECT_NEAR(peakOf(sum), 0.5f, 0.005f); // the louder channel's peak

    const std::vector<float> left = load(ChannelMode::specificChannel(0));
    const std::vector<float> right = load(ChannelMode::specificChannel(1));
    for (std::size_t i = 1000; i < 31000; i += 997) {
        EXPECT_NEAR(left[i], sineAt(i, 200, 0.5f), 0.002f) << i;
        EXPECT_NEAR(right[i], sineAt(i, 300, 0.25f), 0.002f) << i;
    }
    EXPECT_EQ(load(ChannelMode::specificChannel(5)), left);
    EXPECT_EQ(load(ChannelMode::specificChannel(-1)), left);
    EXPECT_FALSE(logged(log, "No valid channel indices provided, defaulting to first channel"));
    EXPECT_EQ(load(ChannelMode::sumChannels(std::vector{7, 9})), left);
    EXPECT_TRUE(logged(log, "No valid channel indices provided, defaulting to first channel"));
    // The doubled channel is rescaled to its own peak.
    const std::vector<float> doubled = load(ChannelMode::sumChannels(std::vector{1, 1}));
    for (std::size_t i = 0; i < doubled.size(); i += 101)
        EXPECT_NEAR(doubled[i], right[i], 1e-5f) << i;
    EXPECT_TRUE(
        loggedStart(log, "Audio source details - Sample Rate: 44100.0 Hz, Channel Count: 2, Frame Length: 88200"));
}

TEST_F(AudioFileLoading, SilentChannelsStaySilentWhenSummed)
{
    const std::string path = write("silence.wav", 44100, 2, std::vector<float>(44100 * 2, 0.0f));
    const std::vector<float> sum = AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels());
    EXPECT_EQ(sum.size(), 16000u);
    EXPECT_EQ(peakOf(sum), 0.0f);
}

TEST_F(AudioFileLoading, ALongFileLoadsInWindowsThatMeetExactly)
{
    std::vector<float> samples(25 * 60 * 16000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(static_cast<int>(i % 20000) - 10000) / 32767.0f;
    const std::string path = write("long.wav", 16000, 1, samples, true);
    samples.clear();
    samples.shrink_to_fit();

    const std::vector<float> loaded = AudioProcessor::loadAudioAsFloatArray(path, ChannelMode::sumChannels());
    ASSERT_EQ(loaded.size(), 24'000'000u);
    // The sawtooth continues across the windows' boundaries at 600 s and 1200 s
    // (16-bit samples read back as multiples of 1/32768).
    for (std::size_t i : {9'599'999u, 9'600'000u, 19'199'999u, 19'200'000u, 23'999'999u})
        EXPECT_EQ(loaded[i], static_cast<float>(static_cast<int>(i % 20000) - 10000) / 32768.0f) << i;
}

TEST_F(AudioFileLoading, SeveralPathsGiveOneOutcomeEachInTheirOrder)
{
    const std::string good = write("good.wav", 16000, 1, std::vector<float>(1600, 0.25f));
    const std::string missing = (folder / "missing.wav").string();
    const std::vector<AudioLoadOutcome> outcomes =
        AudioProcessor::loadAudio(std::vector{good, missing, good}, ChannelMode::sumChannels());
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(std::get<0>(outcomes[0]).size(), 1600u);
    EXPECT_EQ(std::get<0>(outcomes[2]).size(), 1600u);
    ASSERT_EQ(outcomes[1].index(), 1u);
    try {
        std::rethrow_exception(std::get<1>(outcomes[1]));
    } catch (const WhisperError& error) {
        EXPECT_EQ(error, WhisperError::loadAudioFailed("Resource path does not exist " + missing));
    }
}

TEST_F(AudioFileLoading, LoadersRefuseInputsOutsideTheirLimits)
{
    const std::string path = write("short.wav", 16000, 1, std::vector<float>(16000, 0.1f));
    const ChannelMode mode = ChannelMode::sumChannels();
    struct Case {
        const char* name;
        std::function<void()> load;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"start after end", [&] { AudioProcessor::loadAudio(path, mode, 0.75, 0.5); },
         "Start frame 12000 lies after end frame 8000"},
        {"start after the file", [&] { AudioProcessor::loadAudio(path, mode, 2.0); },
         "Start frame 32000 lies after end frame 16000"},
        {"negative start", [&] { AudioProcessor::loadAudio(path, mode, -1.0); },
         "Start time -1.0 is outside the audio"},
        {"no read size", [&] { AudioProcessor::loadAudio(path, mode, {}, {}, 0); }, "Cannot read 0 frames at a time"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(loadError(c.load).what(), c.message) << c.name;
    const std::string garbage = folder / "garbage.wav";
    std::ofstream(garbage) << "not a sound";
    EXPECT_THROW(AudioProcessor::loadAudioAsFloatArray(garbage, mode), Platform::Audio::AudioFileError);
}

TEST(AudioConversion, ConvertedLengthsFollowTheCapacityRule)
{
    struct Case {
        double inputRate;
        double outputRate;
        std::uint32_t frames;
        std::uint32_t expected;
        const char* rounding; // the debug line, or empty when the capacity is whole
    };
    const std::vector<Case> cases = {
        {32000, 16000, 883, 442, "Rounding buffer frame capacity from 441.5 to 442.0 to better fit new sample rate"},
        {32000, 16000, 881, 440, "Rounding buffer frame capacity from 440.5 to 440.0 to better fit new sample rate"},
        {10, 3, 1, 1, "Rounding buffer frame capacity from 0.3 to 1.0 to better fit new sample rate"},
        {48000, 16000, 1600, 533,
         "Rounding buffer frame capacity from 533.3333333333334 to 533.0 to better fit new "
         "sample rate"},
        {44100, 16000, 44100, 16000, ""},
        {48000, 16000, 0, 0, ""},
    };
    for (const Case& c : cases) {
        TestSupport::LogCapture log;
        PCMBuffer input = *PCMBuffer::make({c.inputRate, 1}, c.frames);
        std::fill(input.channel(0).begin(), input.channel(0).end(), 0.5f);
        input.setFrameLength(c.frames);
        auto converter = *Platform::Audio::AudioConverter::make(input.format(), {c.outputRate, 1});
        const PCMBuffer output = AudioProcessor::resampleBuffer(input, converter);
        EXPECT_EQ(output.frameLength(), c.expected) << c.frames;
        EXPECT_EQ(output.frameCapacity(), c.expected) << c.frames;
        if (*c.rounding)
            EXPECT_TRUE(logged(log, c.rounding)) << c.frames;
        else
            EXPECT_FALSE(loggedStart(log, "Rounding")) << c.frames;
    }
}

TEST(AudioConversion, AppendingDropsWhatDoesNotFitAndRefusesOtherFormats)
{
    TestSupport::LogCapture log;
    PCMBuffer destination = *PCMBuffer::make({16000, 1}, 5);
    PCMBuffer source = *PCMBuffer::make({16000, 1}, 4);
    for (int i = 0; i < 4; ++i)
        source.channel(0)[static_cast<std::size_t>(i)] = static_cast<float>(i + 1);
    source.setFrameLength(4);

    EXPECT_TRUE(appendContents(destination, source, 1, 3));
    EXPECT_TRUE(appendContents(destination, source, 0, 4));
    EXPECT_TRUE(logged(log, "Insufficient space in buffer, reducing frame count to fit"));
    EXPECT_EQ(std::vector<float>(destination.frames(0).begin(), destination.frames(0).end()),
              (std::vector<float>{2, 3, 4, 1, 2}));

    EXPECT_FALSE(appendContents(destination, source, 2, 3));
    EXPECT_TRUE(logged(log, "Insufficient audio in buffer"));
    // Every channel of a buffer of several is appended.
    PCMBuffer stereoDestination = *PCMBuffer::make({16000, 2}, 4);
    PCMBuffer stereoSource = *PCMBuffer::make({16000, 2}, 2);
    stereoSource.channel(1)[1] = 7;
    stereoSource.setFrameLength(2);
    EXPECT_TRUE(appendContents(stereoDestination, stereoSource, 0, 2));
    EXPECT_EQ(stereoDestination.frames(1)[1], 7.0f);
    const PCMBuffer other = *PCMBuffer::make({44100, 1}, 4);
    EXPECT_FALSE(appendContents(destination, other, 0, 0));
    EXPECT_TRUE(logged(log, "Format mismatch"));
}

TEST(AudioConversion, BufferToArrayCopiesChannelZeroAndClearsIt)
{
    PCMBuffer buffer = *PCMBuffer::make({16000, 2}, 2500);
    for (std::size_t i = 0; i < 2500; ++i) {
        buffer.channel(0)[i] = static_cast<float>(i);
        buffer.channel(1)[i] = -1;
    }
    buffer.setFrameLength(2500);
    const std::vector<float> samples = AudioProcessor::convertBufferToArray(buffer, 1024);
    ASSERT_EQ(samples.size(), 2500u);
    EXPECT_EQ(samples[1023], 1023.0f);
    EXPECT_EQ(samples[2499], 2499.0f);
    EXPECT_TRUE(std::all_of(buffer.frames(0).begin(), buffer.frames(0).end(), [](float s) { return s == 0; }));
    EXPECT_EQ(buffer.frames(1)[0], -1.0f);

    TestSupport::LogCapture log;
    EXPECT_TRUE(AudioProcessor::convertBufferToArray(buffer, 0).empty());
    EXPECT_TRUE(logged(log, "Chunk size must be positive: 0"));
}

TEST(AudioWindow, PadOrTrimGivesExactlyTheWindow)
{
    TestSupport::LogCapture log;
    const std::vector<float> hundred(100, 0.5f);
    const auto padded = AudioProcessing::padOrTrimAudio(hundred, 0, 480000);
    ASSERT_TRUE(padded);
    const auto values = padded->values<float>();
    ASSERT_EQ(values.size(), 480000u);
    EXPECT_EQ(values[99], 0.5f);
    EXPECT_EQ(values[100], 0.0f);
    EXPECT_EQ(values[479999], 0.0f);

    EXPECT_FALSE(AudioProcessing::padOrTrimAudio(hundred, 100, 480000));
    EXPECT_FALSE(AudioProcessing::padOrTrimAudio(hundred, -1, 480000));
    EXPECT_FALSE(AudioProcessing::padOrTrimAudio({}, 0, 480000));
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "startIndex is outside the buffer size"), 3);
    EXPECT_FALSE(AudioProcessing::padOrTrimAudio(hundred, 0, 0));

    std::vector<float> forty(640000);
    for (std::size_t i = 0; i < forty.size(); ++i)
        forty[i] = static_cast<float>(i);
    AudioProcessor processor;
    const auto trimmed = processor.padOrTrim(forty, 16000, 480000);
    ASSERT_TRUE(trimmed);
    EXPECT_EQ(trimmed->values<float>().front(), 16000.0f);
    EXPECT_EQ(trimmed->values<float>().back(), 495999.0f);
}

TEST(AudioWindow, WaveformImageHoldsTheSamplesBytes)
{
    const std::vector<float> samples = {0.5f, -0.25f, 1.0f, 0.0f, 2.0f, 3.0f};
    const auto image = AudioProcessing::createWaveformImage(samples, 3.9, 2.0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    ASSERT_EQ(image->pixels.size(), 24u);
    EXPECT_EQ(std::memcmp(image->pixels.data(), samples.data(), 24), 0);
    EXPECT_FALSE(AudioProcessing::createWaveformImage(samples, 7, 1)); // too few samples
    EXPECT_FALSE(AudioProcessing::createWaveformImage(samples, 0, 1));
}
