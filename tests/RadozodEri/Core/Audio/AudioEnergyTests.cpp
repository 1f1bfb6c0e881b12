#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "Support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace RadozodEri;

namespace {

// A buffer whose root mean square is `level`.
std::vector<float> bufferOfLevel(float level, std::size_t count = 1600)
{
    return std::vector<float>(count, level);
}

} // namespace

TEST(AudioEnergy, EachBufferIsScoredAgainstTheQuietestOfTheLastTwenty)
{
    AudioProcessor processor;
    for (float level : {0.01f, 0.1f, 1.0f, 0.001f})
        processor.processBuffer(bufferOfLevel(level));
    const std::vector<float> relative = processor.relativeEnergy();
    ASSERT_EQ(relative.size(), 4u);
    EXPECT_FLOAT_EQ(relative[0], 0); // no reference yet
    EXPECT_FLOAT_EQ(relative[1], 0.5f);
    EXPECT_FLOAT_EQ(relative[2], 1);
    EXPECT_FLOAT_EQ(relative[3], 0);
    EXPECT_EQ(processor.audioEnergy()[1], (AudioEnergy{0.5f, 0.1f, 0.1f, 0.1f}));
    EXPECT_EQ(processor.audioSamples().size(), 6400u);

    // The 0.001 entry is the fourth; from the 25th buffer on it is too old to
    // be the reference.
    for (int i = 4; i < 24; ++i)
        processor.processBuffer(bufferOfLevel(0.1f));
    EXPECT_FLOAT_EQ(processor.relativeEnergy().back(), (-20.0f + 60.0f) / 60.0f);
    processor.processBuffer(bufferOfLevel(0.1f));
    processor.processBuffer(bufferOfLevel(0.1f));
    EXPECT_FLOAT_EQ(processor.relativeEnergy().back(), 0.0f); // the reference is 0.1 itself

    processor.processBuffer(bufferOfLevel(0.0f));
    EXPECT_FLOAT_EQ(processor.relativeEnergy().back(), 0.0f);
}

TEST(AudioEnergy, RelativeEnergyOfASignal)
{
    const std::vector<float> signal = bufferOfLevel(0.1f);
    EXPECT_NEAR(AudioProcessor::calculateRelativeEnergy(signal, std::nullopt), 2.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(AudioProcessor::calculateRelativeEnergy(signal, 0.01f), 0.5f, 1e-6f);
    EXPECT_EQ(AudioProcessor::calculateRelativeEnergy(bufferOfLevel(0), std::nullopt), 0.0f);
    EXPECT_EQ(AudioProcessor::calculateRelativeEnergy(signal, 1.0f), 0.0f); // no range: not a number
    const AudioEnergy energy = AudioProcessor::calculateEnergy(std::vector<float>{0.5f, -1.0f, 0.25f, -0.5f});
    EXPECT_EQ(energy.max, 1.0f);
    EXPECT_EQ(energy.min, 0.25f);
    EXPECT_NEAR(energy.avg, std::sqrt((0.25f + 1 + 0.0625f + 0.25f) / 4), 1e-6f);
}

TEST(AudioEnergy, VoiceDetectionLooksBackButLeavesOutTheNewestSecond)
{
    struct Case {
        const char* name;
        std::vector<std::size_t> loud; // 0-based entries above the threshold, of 50
        float seconds;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"entry 31 of 50 (first looked at)", {30}, 2.0f, true},
        {"entry 40 (last looked at)", {39}, 2.0f, true},
        {"entry 30 (too old)", {29}, 2.0f, false},
        {"only the newest ten", {40, 45, 49}, 2.0f, false},
        {"half a second looks at the newest five", {45}, 0.5f, true},
        {"nothing looked at", {49}, 0.0f, false},
        {"negative time", {49}, -1.0f, false},
    };
    for (const Case& c : cases) {
        std::vector<float> energy(50, 0.1f);
        for (std::size_t entry : c.loud)
            energy[entry] = 0.9f;
        EXPECT_EQ(AudioProcessor::isVoiceDetected(energy, c.seconds, 0.3f), c.expected) << c.name;
    }
}

TEST(AudioEnergy, VoicePerChunkMeasuresEachChunkWithItsOverlap)
{
    std::vector<float> signal(4000, 0.0f);
    std::fill(signal.begin() + 3200, signal.end(), 0.5f);
    EXPECT_EQ(AudioProcessor::calculateVoiceActivityInChunks(signal, 3, 1600, 0, 0.02f),
              (std::vector<bool>{false, false, true}));
    // With an overlap the second chunk reaches into the loud part.
    EXPECT_EQ(AudioProcessor::calculateVoiceActivityInChunks(signal, 3, 1600, 400, 0.02f),
              (std::vector<bool>{false, true, true}));
    EXPECT_EQ(AudioProcessor::calculateNonSilentChunks(signal),
              (std::vector<std::pair<std::int64_t, std::int64_t>>{{3200, 4000}}));
}

TEST(AudioEnergy, PurgingKeepsTheNewestSamplesAndEveryEnergyEntry)
{
    AudioProcessor processor;
    std::vector<float> ramp(1600);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<float>(i);
    processor.processBuffer(ramp);
    processor.purgeAudioSamples(2000);
    EXPECT_EQ(processor.audioSamples().size(), 1600u);
    processor.purgeAudioSamples(10);
    EXPECT_EQ(processor.audioSamples(), std::vector<float>(ramp.end() - 10, ramp.end()));
    processor.purgeAudioSamples(0);
    EXPECT_TRUE(processor.audioSamples().empty());
    EXPECT_EQ(processor.relativeEnergy().size(), 1u);
}

TEST(AudioEnergy, TheCallbackGetsEachBufferAndTheSizeLineIsPacedByTheWindow)
{
    AudioProcessor processor;
    std::vector<std::size_t> received;
    processor.setAudioBufferCallback([&](const std::vector<float>& samples) { received.push_back(samples.size()); });
    TestSupport::LogCapture log;
    for (int i = 0; i < 40; ++i)
        processor.processBuffer(bufferOfLevel(0.5f));
    EXPECT_EQ(received, std::vector<std::size_t>(40, 1600));
    const auto sizeLines = std::count_if(log.lines.begin(), log.lines.end(), [](const std::string& line) {
        return line.starts_with("Current audio size: ");
    });
    EXPECT_EQ(sizeLines, 2); // at 32000 and 64000 samples
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "Current audio size: 32000 samples, most recent buffer: 1600 samples, most recent energy: "
                        "(0.0, 0.5, 0.5, 0.5)"),
              log.lines.end());
    EXPECT_THROW(processor.setRelativeEnergyWindow(0), std::invalid_argument);
    EXPECT_THROW(processor.setMinBufferLength(0), std::invalid_argument);
}
