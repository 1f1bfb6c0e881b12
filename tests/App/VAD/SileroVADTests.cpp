#include "App/VAD/SileroVAD.h"

#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(SileroVAD, ConstructionFailsEvenWhenTheModelExists)
{
    const TestSupport::TemporaryFolder folder;
    std::ofstream(folder / "silero_vad.onnx") << "model";
    ASSERT_EQ(QEL::SileroVAD::findModelPath(folder.path()), (folder / "silero_vad.onnx").string());
    try {
        QEL::SileroVAD vad(*QEL::SileroVAD::findModelPath(folder.path()), 0.5f, 400);
        FAIL() << "construction succeeded";
    } catch (const QEL::SileroVADError& error) {
        EXPECT_EQ(error.kind(), QEL::SileroVADError::Kind::onnxRuntimeUnavailable);
        EXPECT_STREQ(error.what(), "ONNX Runtime not available — using EnergyVAD");
    }
}

TEST(SileroVAD, ModelIsFoundInResourcesBesideOrFourFoldersAbove)
{
    const TestSupport::TemporaryFolder folder;
    const std::filesystem::path& root = folder.path();
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
