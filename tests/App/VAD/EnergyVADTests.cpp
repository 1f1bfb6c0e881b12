#include "App/VAD/EnergyVAD.h"

#include <gtest/gtest.h>

#include <vector>

using QEL::EnergyVAD;
using QEL::VADResult;

namespace {

std::vector<float> frameOfLevel(float level) { return std::vector<float>(1600, level); }
const std::vector<float> loud = frameOfLevel(0.1f);
const std::vector<float> quiet = frameOfLevel(0.001f);

} // namespace

TEST(EnergyVAD, ThresholdIsExclusive)
{
    EnergyVAD vad(0.015f, 400);
    EXPECT_EQ(vad.process(frameOfLevel(0.015f)), VADResult::silence);
    EXPECT_FALSE(vad.isSpeechActive());
    EXPECT_EQ(vad.process(frameOfLevel(0.0151f)), VADResult::speech);
    EXPECT_TRUE(vad.isSpeechActive());
    // Negative samples count by their energy, not their sign.
    EnergyVAD other(0.015f, 400);
    EXPECT_EQ(other.process(frameOfLevel(-0.02f)), VADResult::speech);
}

TEST(EnergyVAD, EndPointComesOnQuietFrameRoundedUpToWholeFrames)
{
    struct Case { int silenceMs; int endpointFrame; };
    for (const Case& c : {Case{400, 4}, Case{450, 5}, Case{100, 1}, Case{50, 1}, Case{0, 1}}) {
        SCOPED_TRACE(c.silenceMs);
        EnergyVAD vad(0.015f, c.silenceMs);
        ASSERT_EQ(vad.process(loud), VADResult::speech);
        for (int frame = 1; frame < c.endpointFrame; ++frame)
            EXPECT_EQ(vad.process(quiet), VADResult::silence) << "quiet frame " << frame;
        EXPECT_EQ(vad.process(quiet), VADResult::endpoint);
        EXPECT_FALSE(vad.isSpeechActive());
        EXPECT_EQ(vad.process(quiet), VADResult::silence);
    }
}

TEST(EnergyVAD, SpeechRestartsTheQuietCount)
{
    EnergyVAD vad(0.015f, 400);
    vad.process(loud);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(vad.process(quiet), VADResult::silence);
    EXPECT_EQ(vad.process(loud), VADResult::speech);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(vad.process(quiet), VADResult::silence);
    EXPECT_EQ(vad.process(quiet), VADResult::endpoint);
}

TEST(EnergyVAD, EmptyFrameIsNeverSpeechButCountsAsQuietTime)
{
    EnergyVAD vad(0.015f, 200);
    EXPECT_EQ(vad.process({}), VADResult::silence);
    vad.process(loud);
    EXPECT_EQ(vad.process({}), VADResult::silence);
    EXPECT_EQ(vad.process({}), VADResult::endpoint);
}

TEST(EnergyVAD, ResetWhileOpenForgetsTheUtterance)
{
    EnergyVAD vad(0.015f, 400);
    vad.process(loud);
    vad.process(quiet);
    vad.process(quiet);
    vad.process(quiet);
    vad.reset();
    EXPECT_FALSE(vad.isSpeechActive());
    EXPECT_EQ(vad.process(quiet), VADResult::silence);
    // A new utterance gets the full quiet allowance again.
    vad.process(loud);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(vad.process(quiet), VADResult::silence);
    EXPECT_EQ(vad.process(quiet), VADResult::endpoint);
}
