#include "App/VAD/EnergyVAD.h"
#include "App/VAD/SileroVAD.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
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

TEST(SileroVAD, ConstructionFailsEvenWhenTheModelExists)
{
    const auto folder = std::filesystem::path(testing::TempDir()) / "silero-present";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "silero_vad.onnx") << "model";
    ASSERT_EQ(QEL::SileroVAD::findModelPath(folder), (folder / "silero_vad.onnx").string());
    try {
        QEL::SileroVAD vad(*QEL::SileroVAD::findModelPath(folder), 0.5f, 400);
        FAIL() << "construction succeeded";
    } catch (const QEL::SileroVADError& error) {
        EXPECT_EQ(error.kind(), QEL::SileroVADError::Kind::onnxRuntimeUnavailable);
        EXPECT_STREQ(error.what(), "ONNX Runtime not available — using EnergyVAD");
    }
}

TEST(SileroVAD, ModelIsFoundInResourcesBesideOrFourFoldersAbove)
{
    const auto root = std::filesystem::path(testing::TempDir()) / "silero-search";
    std::filesystem::remove_all(root);
    const auto program = root / "a" / "b" / "c" / "d" / "bin";
    std::filesystem::create_directories(program);
    EXPECT_EQ(QEL::SileroVAD::findModelPath(program), std::nullopt);

    std::filesystem::create_directories(root / "a" / "Resources");
    std::ofstream(root / "a" / "Resources" / "silero_vad.onnx") << "model";
    EXPECT_EQ(QEL::SileroVAD::findModelPath(program), (root / "a" / "Resources" / "silero_vad.onnx").string());

    std::filesystem::create_directories(root / "a" / "b" / "c" / "d" / "Resources");
    std::ofstream(root / "a" / "b" / "c" / "d" / "Resources" / "silero_vad.onnx") << "model";
    EXPECT_EQ(QEL::SileroVAD::findModelPath(program),
              (root / "a" / "b" / "c" / "d" / "Resources" / "silero_vad.onnx").string());
}

TEST(SileroVAD, ErrorDescriptions)
{
    EXPECT_STREQ(QEL::SileroVADError::missingOutput("out").what(), "Missing output tensor: out");
    EXPECT_STREQ(QEL::SileroVADError::modelNotFound("/m").what(), "Silero VAD model not found at: /m");
    EXPECT_STREQ(QEL::SileroVADError::sessionNotInitialized().what(), "ONNX session not initialized");
}
