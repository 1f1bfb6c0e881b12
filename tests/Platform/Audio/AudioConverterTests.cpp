#include "Platform/Audio/AudioConverter.h"

#include "Support/Shell.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

using namespace Platform::Audio;

namespace {

PCMBuffer bufferOf(const AudioFormat& format, const std::vector<std::vector<float>>& channels)
{
    PCMBuffer buffer = *PCMBuffer::make(format, static_cast<std::uint32_t>(channels[0].size()));
    for (unsigned channel = 0; channel < format.channelCount; ++channel)
        std::copy(channels[channel].begin(), channels[channel].end(), buffer.channel(channel).begin());
    buffer.setFrameLength(buffer.frameCapacity());
    return buffer;
}

std::vector<float> framesOf(const PCMBuffer& buffer, unsigned channel = 0)
{
    return {buffer.frames(channel).begin(), buffer.frames(channel).end()};
}

// A sine sweeping from 100 Hz to 7 kHz over the samples, at 48 kHz.
std::vector<float> sweep(std::size_t count)
{
    std::vector<float> samples(count);
    const double duration = static_cast<double>(count) / 48000;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / 48000;
        const double phase = 2 * std::numbers::pi * (100 * t + (7000 - 100) * t * t / (2 * duration));
        samples[i] = 0.5f * static_cast<float>(std::sin(phase));
    }
    return samples;
}

} // namespace

TEST(AudioConverter, FillsTheOutputToItsCapacityExactly)
{
    const AudioFormat input{48000, 1};
    auto converter = *AudioConverter::make(input, {16000, 1});
    const PCMBuffer tone = bufferOf(input, {std::vector<float>(4800, 0.5f)});
    for (std::uint32_t capacity : {1600u, 1500u, 1700u, 0u}) {
        PCMBuffer output = *PCMBuffer::make({16000, 1}, capacity);
        converter.convert(tone, output);
        EXPECT_EQ(output.frameLength(), capacity);
        if (capacity == 1700u)
            EXPECT_EQ(output.frames(0)[1650], 0.0f) << "padded with silence";
        if (capacity > 0)
            EXPECT_NEAR(output.frames(0)[800], 0.5f, 1e-3f) << "nothing carries over from the last call";
    }
}

TEST(AudioConverter, AContinuingStreamHasNoSeamsBetweenItsBuffers)
{
    const AudioFormat input{48000, 1};
    auto converter = *AudioConverter::make(input, {16000, 1}, AudioConverter::Flow::continuingStream);
    const std::vector<float> tone = sweep(48000);
    std::vector<float> joined;
    for (std::size_t start = 0; start < tone.size(); start += 1600) {
        const PCMBuffer piece = bufferOf(input, {{tone.begin() + static_cast<std::ptrdiff_t>(start),
                                                  tone.begin() + static_cast<std::ptrdiff_t>(start + 1600)}});
        PCMBuffer output = *PCMBuffer::make({16000, 1}, 533);
        converter.convert(piece, output);
        ASSERT_EQ(output.frameLength(), 533u);
        joined.insert(joined.end(), output.frames(0).begin(), output.frames(0).end());
    }
    // The stream is the whole tone converted in one piece, only later by the
    // conversion's delay: no buffer's edges show.
    PCMBuffer whole = *PCMBuffer::make({16000, 1}, 16000);
    AudioConverter::make(input, {16000, 1})->convert(bufferOf(input, {tone}), whole);
    double best = INFINITY;
    for (std::size_t delay = 0; delay < 2 * 533; ++delay) {
        double error = 0;
        for (std::size_t i = 1000; i + delay < 15000; ++i)
            error += std::pow(static_cast<double>(joined[i + delay]) - whole.frames(0)[i], 2);
        best = std::min(best, error);
    }
    EXPECT_LT(best, 1e-6);
}

TEST(AudioConverter, MixesChannelsToTheirMeanOrKeepsThem)
{
    const AudioFormat stereo{16000, 2};
    const PCMBuffer input = bufferOf(stereo, {{1, 2, 3}, {3, 4, -3}});
    PCMBuffer mono = *PCMBuffer::make({16000, 1}, 3);
    AudioConverter::make(stereo, {16000, 1})->convert(input, mono);
    EXPECT_EQ(framesOf(mono), (std::vector<float>{2, 3, 0}));
    PCMBuffer copy = *PCMBuffer::make(stereo, 3);
    AudioConverter::make(stereo, stereo)->convert(input, copy);
    EXPECT_EQ(framesOf(copy, 1), (std::vector<float>{3, 4, -3}));
    EXPECT_FALSE(AudioConverter::make({16000, 3}, {16000, 2}));
    EXPECT_FALSE(AudioConverter::make({0, 1}, {16000, 1}));
    PCMBuffer wrong = *PCMBuffer::make({44100, 1}, 3);
    EXPECT_THROW(AudioConverter::make(stereo, {16000, 1})->convert(input, wrong), ResamplerError);
}

TEST(AudioConverter, ResamplingMatchesAPolyphaseReference)
{
    TestSupport::TemporaryFolder folder;
    const std::vector<float> input = sweep(96000);
    std::ofstream(folder / "in.raw", std::ios::binary)
        .write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size() * 4));
    // The system's Python, which has the packages that scipy comes in.
    TestSupport::runShellCommand("/usr/bin/python3 -c 'import sys, numpy, scipy.signal; "
                                 "x = numpy.fromfile(sys.argv[1], \"<f4\"); "
                                 "scipy.signal.resample_poly(x, 1, 3).astype(\"<f4\").tofile(sys.argv[2])' " +
                                 TestSupport::shellQuoted(folder / "in.raw") + " " +
                                 TestSupport::shellQuoted(folder / "reference.raw"));
    const std::string bytes = TestSupport::fileContents(folder / "reference.raw");
    std::vector<float> reference(bytes.size() / 4);
    std::memcpy(reference.data(), bytes.data(), reference.size() * 4);
    ASSERT_EQ(reference.size(), 32000u);

    PCMBuffer output = *PCMBuffer::make({16000, 1}, 32000);
    AudioConverter::make({48000, 1}, {16000, 1})->convert(bufferOf({48000, 1}, {input}), output);
    double signal = 0;
    double noise = 0;
    // The first and last few milliseconds depend on how each fills in before
    // and after the sound.
    for (std::size_t i = 100; i + 100 < reference.size(); ++i) {
        signal += static_cast<double>(reference[i]) * reference[i];
        const double difference = static_cast<double>(output.frames(0)[i]) - reference[i];
        noise += difference * difference;
    }
    EXPECT_GT(10 * std::log10(signal / noise), 40.0);
}
