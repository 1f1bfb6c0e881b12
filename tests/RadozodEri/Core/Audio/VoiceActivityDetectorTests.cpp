#include "RadozodEri/Core/Audio/EnergyVAD.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace RadozodEri;

namespace {

// 16000 samples, loud in the given 1600-sample frames.
std::vector<float> framesVoiced(std::initializer_list<int> voiced, std::size_t length = 16000)
{
    std::vector<float> samples(length, 0.0f);
    for (int frame : voiced)
        std::fill_n(samples.begin() + frame * 1600, 1600, 0.5f);
    return samples;
}

} // namespace

TEST(EnergyVAD, FramesCoverEverySampleAndTheThresholdItselfIsSilent)
{
    const EnergyVAD vad;
    EXPECT_EQ(vad.voiceActivity(std::vector<float>(16000, 0.0f)).size(), 10u);
    std::vector<float> oneMore(16001, 0.0f);
    oneMore.back() = 1.0f;
    EXPECT_EQ(vad.voiceActivity(oneMore),
              (std::vector<bool>{false, false, false, false, false, false, false, false, false, false, true}));
    EXPECT_TRUE(vad.voiceActivity({}).empty());
    EXPECT_EQ(vad.voiceActivity(std::vector<float>(1600, 0.02f)), std::vector<bool>{false});
    EXPECT_EQ(vad.voiceActivity(std::vector<float>(1600, std::nextafter(0.02f, 1.0f))), std::vector<bool>{true});
}

TEST(EnergyVAD, ActiveChunksAreRunsOfVoicedFramesWithoutTheOverlap)
{
    const EnergyVAD vad;
    EXPECT_EQ(vad.calculateActiveChunks(framesVoiced({2, 3, 4, 7})),
              (std::vector<IndexRange>{{3200, 8000}, {11200, 12800}}));
    EXPECT_EQ(vad.calculateActiveChunks(framesVoiced({0, 9})), (std::vector<IndexRange>{{0, 1600}, {14400, 16000}}));
    // The last frame ends with the samples.
    EXPECT_EQ(vad.calculateActiveChunks(std::vector<float>(2000, 0.5f)), (std::vector<IndexRange>{{0, 2000}}));

    // Frame 0 is measured over 2000 samples, which reach into frame 1's sound,
    // but is still reported as 0 to 1600.
    const EnergyVAD overlapping(16000, 1600, 400, 0.02f);
    std::vector<float> late(3200, 0.0f);
    std::fill(late.begin() + 1600, late.begin() + 2000, 0.5f);
    EXPECT_EQ(overlapping.voiceActivity(late), (std::vector<bool>{true, true}));
    EXPECT_EQ(overlapping.calculateActiveChunks(late), (std::vector<IndexRange>{{0, 3200}}));
}

TEST(EnergyVAD, LongestSilenceIsTheFirstOfTheLongestRuns)
{
    const EnergyVAD vad;
    struct Case {
        std::vector<bool> activity;
        std::optional<IndexRange> expected;
    };
    const std::vector<Case> cases = {
        {{true, false, false, true, false, false}, IndexRange{1, 3}},
        {{true, false, true, false, false, false}, IndexRange{3, 6}},
        {{true, true}, std::nullopt},
        {{}, std::nullopt},
        {{false}, IndexRange{0, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(vad.findLongestSilence(c.activity), c.expected) << testing::PrintToString(c.activity);
}

TEST(EnergyVAD, FrameIndexesBecomeSamplesAndSeconds)
{
    const EnergyVAD vad;
    EXPECT_EQ(vad.voiceActivityIndexToAudioSampleIndex(5), 8000);
    EXPECT_FLOAT_EQ(vad.voiceActivityIndexToSeconds(5), 0.5f);
    EXPECT_EQ(EnergyVAD::seconds(16000, 0.025f, 0.01f, 0.02f).frameLengthSamples(), 400);
    EXPECT_EQ(EnergyVAD::seconds(16000, 0.025f, 0.01f, 0.02f).frameOverlapSamples(), 160);
    EXPECT_EQ(vad.calculateSeekTimestamps(framesVoiced({2, 3})), (std::vector<std::pair<float, float>>{{0.2f, 0.4f}}));
}

TEST(EnergyVAD, FramingBelowOneSampleOrHertzIsRefused)
{
    EXPECT_THROW(EnergyVAD(16000, 0, 0, 0.02f), std::invalid_argument);
    EXPECT_THROW(EnergyVAD(0, 1600, 0, 0.02f), std::invalid_argument);
    EXPECT_THROW(EnergyVAD(16000, 1600, -1, 0.02f), std::invalid_argument);
    EXPECT_THROW(EnergyVAD::seconds(16000, 0.00001f, 0, 0.02f), std::invalid_argument);
    EXPECT_THROW(EnergyVAD::seconds(16000, NAN, 0, 0.02f), std::invalid_argument);
}
